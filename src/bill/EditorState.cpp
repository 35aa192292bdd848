#include "bill/EditorState.h"

#include "bill/FrmAdjuctPrice.h"

namespace bill {

EditorState& Shared() {
    static EditorState state;
    return state;
}

}  // namespace bill
