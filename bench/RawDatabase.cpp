#include "bench/RawDatabase.h"

namespace bench {
namespace {
volatile long long g_sink = 0;
}  // namespace

void Consume(long long value) { g_sink = g_sink + value; }

std::string NumberedParameters(std::string_view sql, int& count) {
    std::string out;
    char quote = 0;
    count = 0;
    for (char ch : sql) {
        if (quote) {
            if (ch == quote) quote = 0;
        } else if (ch == '\'' || ch == '"') {
            quote = ch;
        } else if (ch == '?') {
            out += '$' + std::to_string(++count);
            continue;
        }
        out += ch;
    }
    return out;
}

long RawDatabase::Read(std::string_view sql) { return Prepare(sql)->Read(); }

std::vector<std::string> RawDatabase::Column(std::string_view sql) {
    auto st = Prepare(sql);
    std::vector<std::string> out;
    while (st->Step()) out.emplace_back(st->Text(0));
    return out;
}

std::string RawDatabase::Scalar(std::string_view sql) {
    auto column = Column(sql);
    return column.empty() ? std::string() : column.front();
}

}  // namespace bench
