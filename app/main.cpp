// The stand-alone host program: loads the price-adjustment plug-in with dlopen, sets the entry
// object's properties from the command line and calls Execute. Without a connection string it
// opens the embedded demo database in the user's data folder, creating it on the first run.
#include <dlfcn.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/HostComponents.h"
#include "db/DateTime.h"
#include "schema/DemoDatabase.h"

namespace {

struct Options {
    std::optional<std::string> connection;
    std::string operatorCode;
    std::string operatorName;
    db::DateTime date = db::DateTime::Today();
    std::string category;
    int timeout = 30;
    std::optional<std::string> demoDb;
    std::optional<std::string> outputDir;
};

void Usage(std::ostream& out) {
    out << "用法: subpricebill-host [选项]\n"
           "  --connection STRING   连接字符串 (默认: 演示数据库)\n"
           "                        例: \"Provider=SQLite;Data Source=/path/host.db\"\n"
           "                            \"Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=db;UID=u;PWD=p\"\n"
           "  --operator-code CODE  操作员编号 (默认: 演示管理员 0001)\n"
           "  --operator-name NAME  操作员姓名 (默认: 系统管理员)\n"
           "  --date YYYY-MM-DD     业务日期 (默认: 今天)\n"
           "  --category TEXT       类别 (交给重打组件)\n"
           "  --timeout SECONDS     命令超时 (交给重打组件, 默认 30)\n"
           "  --demo-db PATH        在 PATH 建立演示数据库 (如不存在) 并使用它\n"
           "  --output-dir DIR      打印输出 PDF 的目录 (默认: 数据目录下的 output)\n"
           "  --help                显示本说明\n";
}

std::filesystem::path DataFolder() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return std::filesystem::path(x) / "subpricebill";
    if (const char* h = std::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".local/share/subpricebill";
    return std::filesystem::current_path() / "subpricebill-data";
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(std::string("缺少参数值: ") + name);
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            Usage(std::cout);
            std::exit(0);
        } else if (a == "--connection") o.connection = value("--connection");
        else if (a == "--operator-code") o.operatorCode = value("--operator-code");
        else if (a == "--operator-name") o.operatorName = value("--operator-name");
        else if (a == "--date") {
            auto d = db::DateTime::Parse(value("--date"));
            if (!d) throw std::runtime_error("日期格式应为 YYYY-MM-DD");
            o.date = *d;
        } else if (a == "--category") o.category = value("--category");
        else if (a == "--timeout") o.timeout = std::stoi(value("--timeout"));
        else if (a == "--demo-db") o.demoDb = value("--demo-db");
        else if (a == "--output-dir") o.outputDir = value("--output-dir");
        else throw std::runtime_error("未知选项: " + a);
    }
    return true;
}

// The plug-in's C interface, resolved from the loaded library.
struct PluginApi {
    void* (*create)();
    void (*setSysDate)(void*, int, int, int);
    void (*setCommandTimeout)(void*, int16_t);
    void (*setConnStr)(void*, const char*);
    void (*setOptCode)(void*, const char*);
    void (*setOptName)(void*, const char*);
    void (*setCategory)(void*, const char*);
    void (*execute)(void*);
    void (*release)(void*);
};

struct LibraryCloser {
    void operator()(void* h) const { dlclose(h); }
};

template <typename F>
void Resolve(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    if (!fn) throw std::runtime_error(std::string("插件缺少入口: ") + name);
}

std::string PluginPath(const char* argv0) {
    if (const char* p = std::getenv("SPB_PLUGIN"); p && *p) return p;
    std::filesystem::path self = std::filesystem::weakly_canonical(std::filesystem::path("/proc/self/exe"));
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) self = exe;
    (void)argv0;
    for (auto candidate : {self.parent_path() / "libsubpricebill.so", self.parent_path() / "../src/plugin/libsubpricebill.so",
                           std::filesystem::path(SPB_PLUGIN_BUILD_PATH)})
        if (std::filesystem::exists(candidate)) return candidate.string();
    return SPB_PLUGIN_BUILD_PATH;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    try {
        Parse(argc, argv, o);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n\n";
        Usage(std::cerr);
        return 2;
    }
    std::string connStr;
    try {
        if (o.connection) {
            connStr = *o.connection;
        } else {
            std::filesystem::path db = o.demoDb ? std::filesystem::path(*o.demoDb) : DataFolder() / "demo.db";
            if (!std::filesystem::exists(db)) {
                if (db.has_parent_path()) std::filesystem::create_directories(db.parent_path());
                std::cout << "正在建立演示数据库: " << db.string() << std::endl;
                schema::CreateDemoDatabase(db.string());
            }
            connStr = "Provider=SQLite;Data Source=" + db.string();
        }
        if (o.operatorCode.empty() && o.operatorName.empty()) {
            const auto& admin = schema::DemoOperators().front();
            o.operatorCode = admin.code;
            o.operatorName = admin.name;
        }
        std::filesystem::path out = o.outputDir ? std::filesystem::path(*o.outputDir) : DataFolder() / "output";
        app::RegisterHostComponents(out.string());
    } catch (const std::exception& e) {
        std::cerr << "启动失败: " << e.what() << "\n";
        return 1;
    }

    // The host's own application object, made before the plug-in is loaded so that the plug-in
    // and the host's components share it, and destroyed at the end of main while Qt is whole.
    std::unique_ptr<void, LibraryCloser> lib;  // unloaded after the application object is gone
    QApplication application(argc, argv);
    if (QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK SC"))) {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(10);
        QApplication::setFont(font);
    }

    std::string path = PluginPath(argv[0]);
    lib.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!lib) {
        std::cerr << "无法加载插件 " << path << ": " << dlerror() << "\n";
        return 1;
    }
    PluginApi api{};
    try {
        Resolve(lib.get(), "spb_create", api.create);
        Resolve(lib.get(), "spb_set_sysdate", api.setSysDate);
        Resolve(lib.get(), "spb_set_command_timeout", api.setCommandTimeout);
        Resolve(lib.get(), "spb_set_connstr", api.setConnStr);
        Resolve(lib.get(), "spb_set_optcode", api.setOptCode);
        Resolve(lib.get(), "spb_set_optname", api.setOptName);
        Resolve(lib.get(), "spb_set_category", api.setCategory);
        Resolve(lib.get(), "spb_execute", api.execute);
        Resolve(lib.get(), "spb_release", api.release);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    void* bill = api.create();
    if (!bill) return 1;
    api.setSysDate(bill, o.date.year, o.date.month, o.date.day);
    api.setCommandTimeout(bill, static_cast<int16_t>(o.timeout));
    api.setConnStr(bill, connStr.c_str());
    api.setOptCode(bill, o.operatorCode.c_str());
    api.setOptName(bill, o.operatorName.c_str());
    api.setCategory(bill, o.category.c_str());
    api.execute(bill);
    api.release(bill);
    return 0;
}
