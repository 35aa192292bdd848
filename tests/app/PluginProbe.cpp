// A minimal host for the start-up tests: loads the plug-in, sets a connection string, calls
// Execute and says "returned" when Execute came back (the process was not aborted). Standard
// error goes to standard output, so that the test reads both.
//   app_plugin_probe PLUGIN CONNSTR
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "plugin/SubPriceBillApi.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    dup2(STDOUT_FILENO, STDERR_FILENO);
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::printf("dlopen: %s\n", dlerror());
        return 4;
    }
    auto create = reinterpret_cast<decltype(&spb_create)>(dlsym(lib, "spb_create"));
    auto setConn = reinterpret_cast<decltype(&spb_set_connstr)>(dlsym(lib, "spb_set_connstr"));
    auto execute = reinterpret_cast<decltype(&spb_execute)>(dlsym(lib, "spb_execute"));
    auto release = reinterpret_cast<decltype(&spb_release)>(dlsym(lib, "spb_release"));
    if (!create || !setConn || !execute || !release) return 4;
    spb_bill* bill = create();
    setConn(bill, argv[2]);
    execute(bill);
    std::printf("returned\n");
    std::fflush(stdout);
    release(bill);
    dlclose(lib);
    return 0;
}
