// Base of the host's components that the library creates by name for one use (rights, lookup
// window, print engine, reprint, report grid).
#pragma once

namespace data {

class Component {
public:
    virtual ~Component() = default;
};

}  // namespace data
