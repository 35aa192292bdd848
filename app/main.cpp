// The stand-alone host program: loads the price-adjustment plug-in with dlopen, sets the entry
// object's properties from the command line and calls Execute. Without a connection string it
// opens the embedded demo database in the user's data folder, creating it on the first run.
// Before anything else it checks that windows can be shown. A database that cannot be reached is
// reported by the plug-in's own message box, after which the program exits with 1. Exit codes:
// 0 done, 1 start-up or connection failed, 2 bad command line, 3 no display.
#include <dlfcn.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/HostComponents.h"
#include "db/Connection.h"
#include "db/DateTime.h"
#include "db/Error.h"
#include "plugin/DisplayCheck.h"
#include "schema/DemoDatabase.h"
#include "schema/ServerDatabase.h"
#include "plugin/SubPriceBillApi.h"

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
    bool check = false;
    bool initDemo = false;
    bool applyDue = false;
};

// Thrown for a command line that cannot work; main prints it with the usage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
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
           "  --timeout SECONDS     命令超时, 0 到 32767 秒 (等待其他用户锁定的数据的最长时间, 默认 30)\n"
           "  --demo-db PATH        在 PATH 建立演示数据库 (如不存在) 并使用它\n"
           "  --output-dir DIR      打印输出 PDF 的目录 (默认: 数据目录下的 output)\n"
           "  --check               只检查能否连接数据库, 不显示窗口\n"
           "  --init-demo           在 --connection 指定的空数据库中建立主机数据表和演示数据, 不显示窗口\n"
           "  --apply-due           使执行日期已到 (--date, 默认今天) 的待生效价格生效, 不显示窗口\n"
           "  --help                显示本说明\n";
}

std::filesystem::path DataFolder() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return std::filesystem::path(x) / "subpricebill";
    if (const char* h = std::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".local/share/subpricebill";
    return std::filesystem::current_path() / "subpricebill-data";
}

void Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) throw UsageError(std::string("缺少参数值: ") + name);
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
            if (!d) throw UsageError("--date 的日期格式应为 YYYY-MM-DD");
            o.date = *d;
        } else if (a == "--category") o.category = value("--category");
        else if (a == "--timeout") {
            const std::string t = value("--timeout");
            int seconds = -1;
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), seconds);
            if (t.empty() || ec != std::errc() || p != t.data() + t.size() || seconds < 0 || seconds > 32767)
                throw UsageError("--timeout 应为 0 到 32767 之间的整数秒数，而不是“" + db::text::Abbreviate(t, 40) + "”");
            o.timeout = seconds;
        }
        else if (a == "--demo-db") o.demoDb = value("--demo-db");
        else if (a == "--output-dir") o.outputDir = value("--output-dir");
        else if (a == "--check") o.check = true;
        else if (a == "--init-demo") o.initDemo = true;
        else if (a == "--apply-due") o.applyDue = true;
        else throw UsageError("未知选项: " + db::text::Abbreviate(a, 80));
    }
    if (o.initDemo && !o.connection) throw UsageError("--init-demo 需要用 --connection 指定数据库");
    if (o.initDemo && o.check) throw UsageError("--init-demo 与 --check 不能同时使用");
    if (o.applyDue && (o.initDemo || o.check)) throw UsageError("--apply-due 不能与 --init-demo 或 --check 同时使用");
}

// --init-demo: the host tables and the demo data on the empty database the string leads to.
int InitDemo(const Options& o) {
    try {
        db::Connection c;
        c.SetCommandTimeout(o.timeout);
        c.Open(*o.connection);
        std::cout << "正在建立主机数据表和演示数据..." << std::endl;
        schema::CreateServerDemoDatabase(c);
        std::cout << "演示数据已建立。" << std::endl;
        return 0;
    } catch (const schema::HostTablesPresent& e) {
        std::cerr << e.what() << "\n";
    } catch (const schema::UnsupportedServer& e) {
        std::cerr << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "建立演示数据失败：" << db::DescriptionOf(e) << "\n";
    }
    return 1;
}

// The plug-in's C interface, resolved from the loaded library.
struct PluginApi {
    decltype(&spb_create) create;
    decltype(&spb_set_sysdate) setSysDate;
    decltype(&spb_set_command_timeout) setCommandTimeout;
    decltype(&spb_set_connstr) setConnStr;
    decltype(&spb_set_optcode) setOptCode;
    decltype(&spb_set_optname) setOptName;
    decltype(&spb_set_category) setCategory;
    decltype(&spb_execute) execute;
    decltype(&spb_release) release;
};

struct LibraryCloser {
    void operator()(void* h) const { dlclose(h); }
};

template <typename F>
void Resolve(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    if (!fn) throw std::runtime_error(std::string("插件缺少入口: ") + name);
}

std::string PluginPath() {
    if (const char* p = std::getenv("SPB_PLUGIN"); p && *p) return p;
    std::filesystem::path self = std::filesystem::weakly_canonical(std::filesystem::path("/proc/self/exe"));
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) self = exe;
    for (auto candidate : {self.parent_path() / "libsubpricebill.so", self.parent_path() / "../src/plugin/libsubpricebill.so",
                           std::filesystem::path(SPB_PLUGIN_BUILD_PATH)})
        if (std::filesystem::exists(candidate)) return candidate.string();
    return SPB_PLUGIN_BUILD_PATH;
}

// The demo database's path as a connection-string value: quoted when it holds what would end or
// change the value (a ';', quotes, braces, blanks at either end).
std::string ConnectionValue(const std::string& path) {
    const bool plain = path.find_first_of(";\"'{}") == std::string::npos && !path.empty() && path.front() != ' ' &&
                       path.back() != ' ';
    if (plain) return path;
    std::string quoted = "\"";
    for (char c : path) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// A failure of the file system in the operator's language, with the system's own words after it.
std::string Described(const std::exception& e) {
    if (auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&e))
        return "文件操作失败：" + db::text::Abbreviate(fs->path1().string(), 200) + "\n" + fs->code().message();
    return db::DescriptionOf(e);
}

// A start-up failure that happens before the plug-in can speak for itself, shown to an operator
// who may have no terminal.
void ShowStartupFailure(const std::string& text) {
    QMessageBox::critical(nullptr, QStringLiteral("系统提示"), QString::fromStdString(text));
}

// --apply-due: the plug-in applies the waiting prices whose date has come; no window, no display.
int ApplyDue(const Options& o, const std::string& connStr) {
    const std::string path = PluginPath();
    std::unique_ptr<void, LibraryCloser> lib(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!lib) {
        std::cerr << "无法加载插件 " << path << ": " << dlerror() << "\n";
        return 1;
    }
    decltype(&spb_apply_due) apply = nullptr;
    try {
        Resolve(lib.get(), "spb_apply_due", apply);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    const long applied = apply(
        connStr.c_str(), static_cast<int16_t>(o.timeout), o.date.year, o.date.month, o.date.day,
        [](const char* line, int error, void*) { (error ? std::cerr : std::cout) << line << std::endl; }, nullptr);
    return applied < 0 ? 1 : 0;
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
    if (o.initDemo) return InitDemo(o);
    if (o.applyDue) {
        if (o.connection) return ApplyDue(o, *o.connection);
        // The embedded database of the other options; one never made has nothing waiting.
        const std::filesystem::path db = o.demoDb ? std::filesystem::path(*o.demoDb) : DataFolder() / "demo.db";
        std::error_code ec;
        if (!std::filesystem::exists(db, ec)) {
            std::cout << "共 0 张单据、0 个价格生效" << std::endl;
            return 0;
        }
        return ApplyDue(o, "Provider=SQLite;Data Source=" + ConnectionValue(db.string()));
    }
    // Before anything else: Qt would abort the process on a display it cannot reach, after the
    // demo database had been made.
    if (!o.check) {
        if (const std::string problem = plugin::DisplayProblem(); !problem.empty()) {
            std::cerr << problem << "\n";
            return 3;
        }
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
            connStr = "Provider=SQLite;Data Source=" + ConnectionValue(db.string());
        }
        if (o.operatorCode.empty() && o.operatorName.empty()) {
            const auto& admin = schema::DemoOperators().front();
            o.operatorCode = admin.code;
            o.operatorName = admin.name;
        }
    } catch (const std::exception& e) {
        std::cerr << "启动失败：" << Described(e) << "\n";
        return 1;
    }
    // The connection is tried first: --check needs nothing more, and a run whose connection fails
    // still goes through the plug-in, whose Execute shows the reason in its "系统提示" box (an
    // operator who started the program from a menu sees no terminal). The exit status says so.
    bool connected = true;
    try {
        db::Connection probe;
        probe.SetCommandTimeout(o.timeout);
        probe.Open(connStr);
    } catch (const std::exception& e) {
        std::cerr << "无法连接数据库：" << db::DescriptionOf(e) << "\n";
        if (o.check) return 1;
        connected = false;
    }
    if (o.check) {
        std::cout << "数据库连接正常。" << std::endl;
        return 0;
    }
    try {
        std::filesystem::path out = o.outputDir ? std::filesystem::path(*o.outputDir) : DataFolder() / "output";
        app::RegisterHostComponents(out.string());
    } catch (const std::exception& e) {
        std::cerr << "启动失败：" << Described(e) << "\n";
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

    std::string path = PluginPath();
    lib.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!lib) {
        const std::string reason = std::string("无法加载插件 ") + path + ": " + dlerror();
        std::cerr << reason << "\n";
        ShowStartupFailure(reason);
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
        ShowStartupFailure(e.what());
        return 1;
    }
    spb_bill* bill = api.create();
    if (!bill) return 1;
    api.setSysDate(bill, o.date.year, o.date.month, o.date.day);
    api.setCommandTimeout(bill, static_cast<int16_t>(o.timeout));
    api.setConnStr(bill, connStr.c_str());
    api.setOptCode(bill, o.operatorCode.c_str());
    api.setOptName(bill, o.operatorName.c_str());
    api.setCategory(bill, o.category.c_str());
    api.execute(bill);
    api.release(bill);
    return connected ? 0 : 1;
}
