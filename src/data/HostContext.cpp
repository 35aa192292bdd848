#include "data/HostContext.h"

namespace data {

HostContext& Host() {
    static HostContext context;
    return context;
}

}  // namespace data
