#include "db/odbc/OdbcConnectionString.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <initializer_list>
#include <optional>

#include "db/Error.h"
#include "db/TextUtil.h"

namespace db::odbc {
namespace {

using text::EqualNoCase;
using text::Lower;
using text::Trim;



bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualNoCase(s.substr(0, prefix.size()), prefix);
}


std::string Braced(std::string_view v) {
    std::string out = "{";
    for (char c : v) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

const std::initializer_list<std::string_view> kTimeoutKeys = {"Connect Timeout", "Connection Timeout", "Login Timeout"};

bool IsKeyOf(std::string_view key, std::initializer_list<std::string_view> names) {
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return EqualNoCase(key, n); });
}

std::optional<std::string> FirstOf(const ConnectionString& cs, std::initializer_list<std::string_view> keys) {
    for (auto k : keys)
        if (auto v = cs.Get(k)) return *v;
    return std::nullopt;
}

[[noreturn]] void Refuse(std::string message) { throw Error(ErrorCode::ConnectionFailed, std::move(message)); }

int LoginTimeout(const ConnectionString& cs) {
    for (auto key : kTimeoutKeys) {
        auto v = cs.Get(key);
        if (!v) continue;
        std::string t = Trim(*v);
        int seconds = -1;
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), seconds);
        if (t.empty() || ec != std::errc() || p != t.data() + t.size() || seconds < 0)
            Refuse("连接超时“" + std::string(key) + "=" + t + "”不是秒数。");
        return seconds;
    }
    return kDefaultLoginTimeoutSeconds;
}

bool IsSqlServerProvider(const ConnectionString& cs) {
    std::string p = Lower(Trim(cs.Get("Provider").value_or("")));
    return p.rfind("sqloledb", 0) == 0 || p.rfind("sqlncli", 0) == 0 || p.rfind("msoledbsql", 0) == 0;
}

bool IsTrue(std::optional<std::string> v) {
    if (!v) return false;
    std::string t = Lower(Trim(*v));
    return t == "sspi" || t == "true" || t == "yes";
}

struct ServerAddress {
    std::string host, port, instance;
};

// "HOST", "HOST,PORT", "HOST\INSTANCE", optionally after "tcp:".
ServerAddress ParseDataSource(std::string source) {
    source = Trim(source);
    if (StartsWithNoCase(source, "tcp:")) source = Trim(source.substr(4));
    ServerAddress a;
    if (auto comma = source.find(','); comma != std::string::npos) {
        a.port = Trim(source.substr(comma + 1));
        source = Trim(source.substr(0, comma));
        if (a.port.empty() || !std::all_of(a.port.begin(), a.port.end(), [](unsigned char c) { return std::isdigit(c); }))
            Refuse("连接字符串中服务器“" + source + "”的端口“" + a.port + "”不是数字。");
    }
    if (auto slash = source.find('\\'); slash != std::string::npos) {
        a.instance = Trim(source.substr(slash + 1));
        source = Trim(source.substr(0, slash));
    }
    a.host = source == "." || EqualNoCase(source, "(local)") ? "localhost" : source;
    if (a.host.empty()) Refuse("连接字符串缺少 SQL Server 服务器（Data Source）。");
    return a;
}

class OdbcStringBuilder {
public:
    void Add(std::string_view key, std::string_view value) {
        if (!text_.empty()) text_ += ';';
        text_ += key;
        text_ += '=';
        text_ += value;
    }
    void AddValue(std::string_view key, std::string_view value) { Add(key, OdbcValue(value)); }
    std::string Text() && { return std::move(text_); }

private:
    std::string text_;
};

std::string FromAdoForm(const ConnectionString& cs) {
    if (IsTrue(cs.Get("Integrated Security")) || IsTrue(cs.Get("Trusted_Connection")))
        Refuse("Linux 上不能使用 Windows 身份验证（Integrated Security=SSPI）连接 SQL Server："
               "请在连接字符串中写明 SQL Server 登录的用户名（User ID）和密码（Password）。");
    auto source = FirstOf(cs, {"Data Source", "Server", "Address", "Addr", "Network Address"});
    if (!source || Trim(*source).empty()) Refuse("连接字符串缺少 SQL Server 服务器（Data Source）。");
    ServerAddress server = ParseDataSource(*source);
    auto user = FirstOf(cs, {"User ID", "UID", "User"});
    if (!user || Trim(*user).empty())
        Refuse("连接 SQL Server 需要 SQL Server 登录的用户名（User ID）和密码（Password）。");
    auto password = FirstOf(cs, {"Password", "PWD"});
    auto database = FirstOf(cs, {"Initial Catalog", "Database"});
    auto application = FirstOf(cs, {"Application Name", "APP"});
    auto workstation = FirstOf(cs, {"Workstation ID", "WSID"});
    std::string driver = Trim(FirstOf(cs, {"ODBC Driver"}).value_or("FreeTDS"));
    if (driver.empty()) driver = "FreeTDS";

    OdbcStringBuilder b;
    if (Lower(driver).find("freetds") != std::string::npos) {
        b.AddValue("Driver", driver);
        if (!server.instance.empty() && server.port.empty()) {
            b.AddValue("Server", server.host + "\\" + server.instance);  // the port comes from the server's browser service
        } else {
            b.AddValue("Server", server.host);
            b.AddValue("Port", server.port.empty() ? "1433" : server.port);
        }
        if (database) b.AddValue("Database", *database);
        b.AddValue("UID", *user);
        b.AddValue("PWD", password.value_or(""));
        b.Add("TDS_Version", "7.4");
        b.Add("ClientCharset", "UTF-8");
    } else {
        b.Add("Driver", driver.find(' ') != std::string::npos ? Braced(driver) : OdbcValue(driver));
        std::string address = "tcp:" + server.host;
        if (!server.port.empty()) address += "," + server.port;
        else if (!server.instance.empty()) address += "\\" + server.instance;
        else address += ",1433";
        b.AddValue("Server", address);
        if (database) b.AddValue("Database", *database);
        b.AddValue("UID", *user);
        b.AddValue("PWD", password.value_or(""));
        b.Add("TrustServerCertificate", "yes");
    }
    if (application) b.AddValue("APP", *application);
    if (workstation) b.AddValue("WSID", *workstation);
    return std::move(b).Text();
}

// Keys that are ours, not the driver's: the ADO provider, the driver choice of the ADO form and
// the login time-out.
bool IsOwnKey(std::string_view key) { return IsKeyOf(key, {"Provider", "ODBC Driver"}) || IsKeyOf(key, kTimeoutKeys); }

std::string PassThrough(const ConnectionString& cs) {
    const auto& pairs = cs.Pairs();
    if (std::none_of(pairs.begin(), pairs.end(), [](const auto& p) { return IsOwnKey(p.key); })) return cs.Text();
    OdbcStringBuilder b;
    for (const auto& e : pairs) {
        if (IsOwnKey(e.key)) continue;
        b.Add(e.key, e.braced ? Braced(e.value) : OdbcValue(e.value));
    }
    return std::move(b).Text();
}

}  // namespace

std::string OdbcValue(std::string_view value) {
    bool needsBraces = value.find_first_of(";{}") != std::string_view::npos ||
                       (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                                           std::isspace(static_cast<unsigned char>(value.back()))));
    return needsBraces ? Braced(value) : std::string(value);
}

std::string WithKey(const std::string& odbcString, std::string_view key, std::string_view value) {
    const ConnectionString parsed = ConnectionString::Parse(odbcString);
    OdbcStringBuilder b;
    for (const auto& e : parsed.Pairs()) {
        if (EqualNoCase(e.key, key)) continue;
        b.Add(e.key, e.braced ? Braced(e.value) : OdbcValue(e.value));
    }
    b.AddValue(key, value);
    return std::move(b).Text();
}

OdbcTarget ToOdbcTarget(const ConnectionString& cs) {
    OdbcTarget t;
    t.loginTimeoutSeconds = LoginTimeout(cs);
    bool adoForm = IsSqlServerProvider(cs) && !cs.Has("Driver") && !cs.Has("DSN");
    t.connectionString = adoForm ? FromAdoForm(cs) : PassThrough(cs);
    return t;
}

}  // namespace db::odbc
