// Import readers fed mutated, cut and spliced files: a message for the operator or cells within the limits, never more.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "TestZip.h"
#include "bill/CsvReader.h"
#include "bill/ImportCheck.h"
#include "bill/ImportFile.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"
#include "bill/XmlReader.h"
#include "bill/ZipArchive.h"

using billtest::PeakMemory;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr double kSeconds = 6.0;
#else
constexpr double kSeconds = 2.5;
#endif

using namespace std::string_view_literals;
constexpr std::string_view kTokens[] = {
    ","sv, "\""sv, "\"\""sv, "\n"sv, "\r"sv, "\r\n"sv, "\t"sv, ";"sv, "\0"sv, "\xEF\xBB\xBF"sv, "\xFF\xFE"sv, "\xFE\xFF"sv, "\xE4\xB8"sv, "\x81\x30"sv,
    "\xC6\xBB"sv, "<"sv, ">"sv, "/>"sv, "</"sv, "<row>"sv, "</row>"sv, "<c r=\"IV9\">"sv, "<v>"sv, "</v>"sv, "</c>"sv, "<is><t>"sv, "</t></is>"sv,
    " r=\"1048577\""sv, " t=\"s\""sv, " t=\"inlineStr\""sv, "&amp;"sv, "&#0;"sv, "&e;"sv, "<!DOCTYPE a [<!ENTITY e \"x\">]>"sv,
    "<![CDATA["sv, "]]>"sv, "<!--"sv, "-->"sv, "<?x?>"sv, "xmlns=\"urn:x\""sv, "xmlns:x=\""sv, "PK\x03\x04"sv, "PK\x01\x02"sv, "PK\x05\x06"sv,
    "\xFF\xFF\xFF\xFF"sv, "货号"sv, "新售价"sv,
};

class Fuzz {
public:
    explicit Fuzz(unsigned seed) : rng_(seed) {}
    // Runs `round` (given the round's number) for a few seconds, then checks the memory taken.
    template <typename F>
    void Run(F&& round) {
        const PeakMemory peak;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 200000 && !::testing::Test::HasFailure() &&
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < kSeconds;
             ++i)
            round(i);
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LT(peak.GrowthMiB(), 200);
#endif
    }
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    std::string Mutate(std::string s) {
        for (size_t n = 1 + Pick(6); n > 0; --n) {
            const size_t at = Pick(s.size() + 1);
            switch (Pick(6)) {
                case 0: s.insert(at, 1, static_cast<char>(Pick(256))); break;
                case 1: s.insert(at, kTokens[Pick(std::size(kTokens))]); break;
                case 2: s.erase(at, Pick(16)); break;
                case 3: if (at < s.size()) s[at] = static_cast<char>(Pick(256)); break;
                case 4: if (at < s.size()) s.insert(at, s.substr(at, Pick(64))); break;  // repeat a stretch
                default: s.resize(at);
            }
        }
        return s;
    }
    // Pieces of random sizes, as a stream hands them over.
    std::vector<std::string_view> Pieces(std::string_view s) {
        std::vector<std::string_view> out;
        while (!s.empty()) {
            const size_t n = std::min(s.size(), 1 + Pick(Pick(2) ? 8 : 4096));
            out.push_back(s.substr(0, n));
            s.remove_prefix(n);
        }
        return out;
    }

private:
    std::mt19937 rng_;
};

// Checks what a reader hands on: columns ascend from 0 within a row, rows ascend, no cell
// beyond the limit; keeps a digest to compare readings.
struct CheckedSink : bill::SheetSink {
    std::string digest;
    int column = -1, lastRow = 0;
    void Cell(int c, std::string_view text, bool cut) override {
        EXPECT_GT(c, column);
        EXPECT_LE(text.size(), kMaxCellBytes);
        EXPECT_TRUE(!cut || text.size() == kMaxCellBytes);
        column = c;
        if (digest.size() < 100000) digest += std::to_string(c) + ":" + std::string(text) + (cut ? "+" : "") + "|";
    }
    void EndRow(int number) override {
        EXPECT_GT(number, lastRow);
        lastRow = number;
        column = -1;
        if (digest.size() < 100000) digest += "#" + std::to_string(number) + "\n";
    }
};

std::string Sheet() {
    return "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
           "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>A1</t><rPh><t>x</t></rPh></is></c><c r=\"B2\"><v>6.5</v></c></row>"
           "<row><c t=\"s\"><v>2</v></c><c t=\"b\"><v>1</v></c><c><v>1E+3</v></c></row>";
}
const char* const kStrings = "<si><t>货号</t></si><si><r><t>新</t></r><r><t>售价</t></r></si><si><t>B&amp;2</t></si>";

}  // namespace

TEST(ImportFuzz, CsvReaderInAnyPiecesKeepsItsInvariants) {
    Fuzz f(20260301);
    const std::string seeds[] = {"货号,新售价\r\n\"A,1\",\"说\"\"明\"\r\n\r\n , \nB2,\"多\n行\"\rC3,5", "A1\t6\nB2\t7\n", "A1;6\n\"x\"y,\"\n"};
    f.Run([&](int) {
        const std::string text = f.Mutate(seeds[f.Pick(std::size(seeds))]);
        CheckedSink whole, pieces;
        bill::CsvReader::Parse(text, whole);
        bill::CsvReader reader(pieces);
        for (auto piece : f.Pieces(text)) reader.Feed(piece);
        reader.Finish();
        ASSERT_EQ(pieces.digest, whole.digest) << text;
        try {
            bill::RowPicker picker;
            bill::CsvReader::Parse(text, picker);
        } catch (const std::runtime_error&) {
        }
    });
}

TEST(ImportFuzz, TextDecodingGivesWellFormedUtf8OrAMessage) {
    Fuzz f(20260302);
    const std::string text = "货号,新售价\n苹果,5\n";
    const std::string seeds[] = {text, "\xEF\xBB\xBF" + text, bill::Convert(text, "UTF-8", "GB18030"),
                                 "\xFF\xFE" + bill::Convert(text, "UTF-8", "UTF-16LE"), "\xFE\xFF" + bill::Convert(text, "UTF-8", "UTF-16BE")};
    f.Run([&](int i) {
        std::string bytes;
        if (i % 4 == 0)
            for (size_t n = f.Pick(64); n > 0; --n) bytes += static_cast<char>(f.Pick(256));
        else
            bytes = f.Mutate(seeds[f.Pick(std::size(seeds))]);
        try {
            std::string out;
            bill::DecodeText(bytes, [&](std::string_view piece) { out += piece; });
            ASSERT_TRUE(bill::IsUtf8(out)) << bytes;
            ASSERT_LE(out.size(), bytes.size() * 2 + 4) << bytes;
        } catch (const std::runtime_error& e) {
            ASSERT_TRUE(bill::IsUtf8(e.what()));
        }
    });
}

TEST(ImportFuzz, ZipReaderRefusesDamageWithAMessage) {
    Fuzz f(20260303);
    std::string numbers;
    for (int i = 0; numbers.size() < 200000; ++i) numbers += std::to_string(i) + ",";
    const std::string seeds[] = {billtest::Workbook(Sheet(), kStrings),
                                 billtest::Zip({{"a", "hello"}, {"b", numbers, true}, {"c", std::string(3u << 20, 'z'), true}})};
    f.Run([&](int) {
        const std::string bytes = f.Mutate(seeds[f.Pick(std::size(seeds))]);
        try {
            bill::ZipArchive zip(bytes);
            for (const auto& name : zip.Names()) {
                try {
                    zip.Read(name, [](std::string_view piece) { ASSERT_LE(piece.size(), bill::ZipArchive::kPiece); });
                } catch (const std::runtime_error&) {
                }
                ASSERT_LE(zip.Unpacked(), bill::ZipArchive::kMaxUnpacked);
            }
        } catch (const std::runtime_error&) {
        }
    });
}

TEST(ImportFuzz, WorkbookXmlGivesCellsWithinTheLimitsOrAMessage) {
    Fuzz f(20260304);
    f.Run([&](int) {
        // The sheet, the strings or both mutated, in an archive that is itself sound.
        const std::string sheet = f.Pick(3) ? f.Mutate(Sheet()) : Sheet();
        const std::string strings = f.Pick(3) ? f.Mutate(kStrings) : kStrings;
        try {
            CheckedSink sink;
            bill::XlsxReader::Read(billtest::Workbook(sheet, strings), sink);
        } catch (const std::runtime_error& e) {
            ASSERT_TRUE(bill::IsUtf8(e.what()));
        }
        // And the XML reader on its own, in random pieces.
        struct Quiet : bill::XmlReader::Handler {
            void Start(bill::XmlReader::Name, const bill::XmlReader::Attributes&) override {}
            void End(bill::XmlReader::Name) override {}
            void Text(std::string_view) override {}
        } quiet;
        const std::string xml = f.Mutate("<worksheet xmlns=\"" + std::string(billtest::kMainNs) + "\"><sheetData>" + Sheet() + "</sheetData></worksheet>");
        try {
            bill::XmlReader reader("sheet.xml", quiet);
            for (auto piece : f.Pieces(xml)) reader.Feed(piece);
            reader.Finish();
        } catch (const std::runtime_error&) {
        }
    });
}
