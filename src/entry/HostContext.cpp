#include "entry/HostContext.h"

namespace entry {

HostContext& Host() {
    static HostContext context;
    return context;
}

}  // namespace entry
