// libFuzzer entry: tokens give back the input byte for byte and translated text translates to itself.
#include "db/dialect/SqlTokenizer.h"
#include "db/dialect/TsqlTranslator.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace db::dialect;
    const std::string sql(reinterpret_cast<const char*>(data), size);
    std::string joined;
    for (auto& t : SqlTokenizer::Tokenize(sql)) joined += t.text;
    if (joined != sql) std::abort();

    static const TsqlTranslator translator([](std::string_view, std::string_view c) { return c.size() == 2; });
    const std::string once = translator.ToSqlite(sql);
    if (translator.ToSqlite(once) != once) std::abort();
    const std::string postgres = translator.ToPostgres(sql);
    if (translator.ToPostgres(postgres) != postgres) std::abort();
    (void)SelectListHints(sql);
    return 0;
}
