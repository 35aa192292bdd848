// A helper program run by a test as a separate process, with its standard output read through a
// pipe and a bound on its run time: a child that does not finish in time is killed.
#pragma once
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

class ChildProcess {
public:
    // Starts `program` with `args` (without argv[0]); std::runtime_error when it cannot start.
    // withStderr: the child's standard error is read through the same pipe.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, bool withStderr = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of output without its line end; false at the end of the output or when the
    // time is up.
    bool ReadLine(std::string& line, std::chrono::milliseconds timeout);
    // Waits for the end of the process, reading the rest of its output; kills it when the time is
    // up. The exit code, or -1 when it was killed or ended by a signal.
    int Wait(std::chrono::milliseconds timeout);
    // Everything the child wrote that no ReadLine consumed.
    const std::string& Output() const { return buffer_; }
    bool TimedOut() const { return timedOut_; }
    pid_t Pid() const { return pid_; }

    // Starts, waits and returns the exit code; the output goes to `output` when given.
    static int Run(const std::string& program, const std::vector<std::string>& args, std::chrono::milliseconds timeout,
                   std::string* output = nullptr, bool withStderr = false);

private:
    bool Fill(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int out_ = -1;
    bool eof_ = false;
    bool timedOut_ = false;
    int status_ = -1;
    bool reaped_ = false;
    std::string buffer_;
};

}  // namespace testing_support
