#include "plugin/DisplayCheck.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

namespace plugin {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Connects to the X server of DISPLAY through libxcb, as Qt's xcb platform does, and disconnects.
bool XDisplayAnswers() {
    if (Env("DISPLAY").empty()) return false;
    struct Closer {
        void operator()(void* h) const { dlclose(h); }
    };
    std::unique_ptr<void, Closer> xcb(dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL));
    if (!xcb) return true;  // cannot ask; Qt's xcb platform needs the library anyway and will say so
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb.get(), "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb.get(), "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb.get(), "xcb_disconnect"));
    if (!connect || !hasError || !disconnect) return true;
    void* c = connect(nullptr, nullptr);
    const bool ok = c && hasError(c) == 0;
    if (c) disconnect(c);
    return ok;
}

// The compositor's socket of WAYLAND_DISPLAY (default "wayland-0") in XDG_RUNTIME_DIR accepts.
bool WaylandDisplayAnswers() {
    std::string name = Env("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    std::string path = name.front() == '/' ? name : Env("XDG_RUNTIME_DIR") + "/" + name;
    if (path.front() != '/') return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

}  // namespace

std::string DisplayProblem() {
    std::string platform = Env("QT_QPA_PLATFORM");
    platform = platform.substr(0, platform.find_first_of(":;"));
    for (std::string_view headless : {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"})
        if (platform == headless) return {};
    const bool x = platform.empty() || platform.rfind("xcb", 0) == 0;
    const bool wayland = platform.empty() || platform.rfind("wayland", 0) == 0;
    if (!x && !wayland) return {};  // a platform of its own: Qt will tell
    // A display server started a moment ago (a virtual display under load) may not accept yet:
    // it is asked again for up to two seconds before the program gives up.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if ((x && XDisplayAnswers()) || (wayland && WaylandDisplayAnswers())) return {};
        if (x && Env("DISPLAY").empty() && (!wayland || Env("WAYLAND_DISPLAY").empty())) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::string why;
    if (x && Env("DISPLAY").empty() && (!wayland || Env("WAYLAND_DISPLAY").empty()))
        why = "没有设置 DISPLAY";
    else
        why = "显示器 " + (x && !Env("DISPLAY").empty() ? Env("DISPLAY") : Env("WAYLAND_DISPLAY")) + " 无法连接";
    return "无法显示窗口：" + why + "。分支机构调价单需要图形界面；没有显示器时可在虚拟显示器中运行（xvfb-run -a），"
           "或设置 QT_QPA_PLATFORM=offscreen。";
}

}  // namespace plugin
