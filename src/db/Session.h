// One open driver session shared by a Connection and the recordsets opened on it, so that a
// recordset can requery after its Connection object is gone. Internal to db/.
#pragma once
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/Driver.h"

namespace db {

class Session {
public:
    Session(std::unique_ptr<Driver> driver, TraceHook trace) : driver_(std::move(driver)), trace_(std::move(trace)) {}
    ~Session() { Close(); }
    bool IsOpen() const { return driver_ != nullptr; }
    void Close() noexcept {
        if (driver_) driver_->Close();
        driver_.reset();
        inTransaction_ = false;
    }
    Driver& Get();
    // A new driver session in place of one the server took away; recordsets keep working on it.
    void Replace(std::unique_ptr<Driver> driver) {
        if (driver_) driver_->Close();
        driver_ = std::move(driver);
        lost_ = false;
        inTransaction_ = false;
    }
    void SetTrace(TraceHook t) { trace_ = std::move(t); }
    void Trace(const std::string& sql) const {
        if (trace_) trace_(sql);
    }
    bool inTransaction_ = false;
    // A statement met a connection that the server or the network took away.
    bool lost_ = false;

private:
    std::unique_ptr<Driver> driver_;
    TraceHook trace_;
};

}  // namespace db
