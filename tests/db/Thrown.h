// The database error a call throws; a test failure when it throws none.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "db/Error.h"

inline db::Error Thrown(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const db::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return db::Error(0, "");
}
