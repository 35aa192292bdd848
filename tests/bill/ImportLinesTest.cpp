// "导入": price lists read, judged row by row, imported in one transaction, refused rows saved.
#include <sys/stat.h>
#include <xlsxwriter.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <variant>

#include "EditorFixture.h"
#include "TestZip.h"
#include "bill/FrmImportLines.h"
#include "bill/ImportFile.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchDir.h"

using bill::FrmAdjuctPrice;
using bill::FrmImportLines;

namespace {

using XCell = std::variant<std::monostate, std::string, double>;
using Texts = std::vector<std::string>;

class ImportLines : public billtest::Editor {
protected:
    ImportLines() {
        t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values ('C3','橙子','1kg','赣南','袋','cz',0),"
               "('1001','纸巾','10包','','提','zj',0)");
    }
    std::string File(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return dir_ / name;
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string Xlsx(const std::string& name, const std::vector<std::vector<XCell>>& rows) {
        const std::string path = dir_ / name;
        lxw_workbook* book = workbook_new(path.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, "价格");
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c) {
                const auto row = static_cast<lxw_row_t>(r);
                const auto col = static_cast<lxw_col_t>(c);
                if (auto* s = std::get_if<std::string>(&rows[r][c])) worksheet_write_string(sheet, row, col, s->c_str(), nullptr);
                else if (auto* d = std::get_if<double>(&rows[r][c])) worksheet_write_number(sheet, row, col, *d, nullptr);
            }
        workbook_add_worksheet(book, "其他");  // only the first sheet is read
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return path;
    }
    std::string Lines(const std::string& lsh) {
        return t.Joined("select dh,':',hh,':',sj1,'>',sj2 from SubAdjuctPricemx where lsh='" + lsh + "' order by cast(dh as int)", "");
    }
    static Texts Verdicts(const FrmImportLines& w) {
        Texts v;
        for (int r = 1; r < w.VfgRows.Rows(); ++r)
            v.push_back(w.VfgRows.TextMatrix(r, 1) + " " + w.VfgRows.TextMatrix(r, 2) + " " + w.VfgRows.TextMatrix(r, 6));
        return v;
    }
    // Opens bill `lsh` (a new one for branch 001 when empty) and runs `act` on the import window.
    void Import(const std::string& lsh, std::function<void(FrmImportLines&, FrmAdjuctPrice&)> act) {
        Open(lsh, [&](FrmAdjuctPrice& w) {
            if (lsh.empty()) w.TxtDwbh.SetText("001");
            t.Toolkit().OnShow("FrmImportLines", [&](ui::Window& i) { act(static_cast<FrmImportLines&>(i), w); });
            w.Toolbar1.Press("导入");
        });
    }

    testing_support::ScratchDir dir_{"spb-import"};
};

}  // namespace

TEST_F(ImportLines, AGb18030CsvAddsExactlyTheGoodRowsAndNamesEachBadOne) {
    Bill("20", "001", 0, {"X", "1"});
    const std::string path = File("价格表.csv", bill::Convert("货号,品名,新售价\r\nA1,苹果,6.5\r\nZZ,不存在,1\r\nD9,旧货,2\r\n"
                                                             "B2,香蕉,abc\r\nX,鸭梨,3\r\na12,苹果汁,3.456\r\nA1,苹果,7\r\n,空,1\r\n"
                                                             "C3,橙子,-1\r\n\"B2\",\"香蕉,进口\",4.2\r\n",
                                                             "UTF-8", "GB18030"));
    std::string refusedPath;
    Import("20", [&](FrmImportLines& i, FrmAdjuctPrice& w) {
        i.AskFileName = [&](bool save, const std::string& suggested) {
            if (!save) return path;
            EXPECT_EQ(suggested, dir_ / "价格表_拒绝.csv");
            return refusedPath = suggested;
        };
        i.CmdBrowse.Click();
        EXPECT_EQ(Verdicts(i), (Texts{"2 A1 可导入", "3 ZZ 商品不存在", "4 D9 商品已删除", "5 B2 新售价不是数字", "6 X 单据上已有此商品",
                                      "7 A12 可导入", "8 A1 文件中重复", "9  货号为空", "10 C3 新售价为负数", "11 B2 文件中重复"}));
        EXPECT_EQ(Lines("20"), "100:X:1>1") << "reading writes nothing";
        i.CmdImport.Click();
        EXPECT_FALSE(i.CmdImport.Enabled()) << "no second import of the same rows";
        EXPECT_EQ(w.VfgContent.Rows(), 4) << "the editor shows the bill again";
        i.CmdSaveRefused.Click();
    });
    EXPECT_EQ(MessageTexts(), (Texts{"已导入2行，拒绝8行。", "已将8行拒绝行保存到文件: " + refusedPath}));
    EXPECT_EQ(Lines("20"), "100:X:1>1 200:A1:5.5>6.5 300:A12:0>3.46");
    EXPECT_EQ(Scalar("select pm from SubAdjuctPricemx where lsh='20' and dh='300'"), "苹果汁\\1L\\烟台\\瓶");
    EXPECT_EQ(Read(refusedPath), "\xEF\xBB\xBF行号,货号,新售价,原因\r\n3,ZZ,1,商品不存在\r\n4,D9,2,商品已删除\r\n5,B2,abc,新售价不是数字\r\n"
                                 "6,X,3,单据上已有此商品\r\n8,A1,7,文件中重复\r\n9,,1,货号为空\r\n10,C3,-1,新售价为负数\r\n11,B2,4.2,文件中重复\r\n");
}

TEST_F(ImportLines, RefusedRowsAreSavedAsTextAndWholeOrNotAtAll) {
    const std::string path = File("公式.csv", "货号,新售价\r\n=cmd|' /C calc'!A0,1\r\nA1,@SUM(A1)\r\nD9,-3\r\n");
    const std::string refused = File("拒绝.csv", "earlier");
    Import("", [&](FrmImportLines& i, FrmAdjuctPrice&) {
        i.AskFileName = [&](bool save, const std::string&) { return save ? refused : path; };
        i.CmdBrowse.Click();
        {
            testing_support::FileSizeLimit full(64);  // a full disk
            i.CmdSaveRefused.Click();
        }
        EXPECT_EQ(Read(refused), "earlier") << "the earlier file is destroyed or cut short";
        i.CmdSaveRefused.Click();
    });
    EXPECT_EQ(MessageTexts(), (Texts{"无法写入文件: " + refused + "（文件超过允许的大小）", "已将3行拒绝行保存到文件: " + refused}));
    EXPECT_EQ(Read(refused), "\xEF\xBB\xBF行号,货号,新售价,原因\r\n2,'=cmd|' /C calc'!A0,1,商品不存在\r\n"
                             "3,A1,'@SUM(A1),新售价不是数字\r\n4,D9,-3,商品已删除\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), std::filesystem::directory_iterator{}), 2) << "a temporary file was left behind";
}

TEST_F(ImportLines, AnXlsxWorkbookByHeadingFillsANewBillUnderAFreshSerial) {
    const std::string path = Xlsx("shared.xlsx", {{std::string("新售价"), std::string("说明"), std::string("货号")},
                                                  {6.0, std::string("x"), std::string("A1")},
                                                  {4.4, {}, std::string(" b2 ")},
                                                  {},
                                                  {{}, {}, std::string("X")},
                                                  {1.5, {}, 1001.0},
                                                  {std::string("七元"), {}, std::string("C3")}});
    Import("", [&](FrmImportLines& i, FrmAdjuctPrice& w) {
        w.TxtBZ.SetText("表格导入");
        i.TxtFile.SetText(path);
        i.CmdRead.Click();
        EXPECT_EQ(Verdicts(i), (Texts{"2 A1 可导入", "3 B2 可导入", "5 X 新售价不是数字", "6 1001 可导入", "7 C3 新售价不是数字"}));
        i.CmdImport.Click();
        EXPECT_EQ(w.TxtLSH.Text(), "1");
        EXPECT_FALSE(bill::Shared().IsNewBill);
    });
    EXPECT_EQ(Scalar("select lsh||','||shbz||','||dwbh||','||bz||','||bz5 from SubAdjuctPrice"), "1,0,001,表格导入,");
    EXPECT_EQ(Lines("1"), "100:A1:5.5>6 200:B2:4>4.4 300:1001:0>1.5");
}

TEST_F(ImportLines, AFailureInTheMiddleAddsNoneAndKeepsTheRowsReady) {
    t.RefuseWrites("SubAdjuctPricemx", "insert", "NEW.hh='B2'", "B2 refused");
    const std::string path = File("两行.csv", "A1,6\nB2,5\n");
    Import("", [&](FrmImportLines& i, FrmAdjuctPrice&) {
        i.TxtFile.SetText(path);
        i.ReadFile();
        i.ImportReady();
        EXPECT_EQ(i.ReadyCount(), 2);
        EXPECT_TRUE(bill::Shared().IsNewBill) << "the next attempt draws a fresh serial";
    });
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_NE(MessageTexts()[0].find("B2 refused"), std::string::npos);
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 0);
}

TEST_F(ImportLines, RefusedOnABillAuditedMeanwhileAndBeyondTheLinesLeft) {
    // Room for one more line: numbering stops at 32700.
    Bill("31", "001", 0, {"X", "1"});
    t.Exec("update SubAdjuctPricemx set dh='32600' where lsh='31'");
    const std::string path = File("满.csv", "货号,新售价\nA1,6\nB2,5\nbad,1\n");
    Import("31", [&](FrmImportLines& i, FrmAdjuctPrice&) {
        i.TxtFile.SetText(path);
        i.ReadFile();
        EXPECT_EQ(Verdicts(i), (Texts{"2 A1 可导入", "3 B2 超出单据行数上限", "4 bad 商品不存在"}));
        t.Exec("update SubAdjuctPrice set shbz=1 where lsh='31'");  // audited after the file was read
        i.ImportReady();
        EXPECT_EQ(Lines("31"), "32600:X:1>1");
        t.Exec("update SubAdjuctPrice set shbz=0 where lsh='31'");
        i.ImportReady();
    });
    EXPECT_EQ(MessageTexts(), (Texts{"此单据已审核，不能修改!", "已导入1行，拒绝2行。"}));
    EXPECT_EQ(Lines("31"), "32600:X:1>1 32700:A1:5.5>6");
}

// Files from outside: each unreadable one is one message, a bad row is a verdict of its own.
TEST_F(ImportLines, HostileFilesAreRefusedWithOneMessageAndBadRowsGetAVerdict) {
    const std::string fifo = dir_ / "管道.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir_ / "文件夹.csv";
    std::filesystem::create_directory(folder);
    const struct {
        std::string path, message;
        Texts verdicts;
    } cases[] = {
        {"", "请选择要导入的文件!", {}},
        {dir_ / "missing.csv", "无法打开文件: " + dir_ / "missing.csv", {}},
        {fifo, "不是普通文件，不能导入: " + fifo, {}},
        {folder, "不是普通文件，不能导入: " + folder, {}},
        {File("old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0')),
         "不支持旧的.xls格式，请在表格程序中另存为.xlsx或CSV文件", {}},
        // A NUL cannot be sent to the database: its row alone is refused.
        {File("nul.csv", std::string("货号,新售价\nA1,6\nB") + '\0' + "2,5\n"), "", {"2 A1 可导入", std::string("3 B") + '\0' + "2 含有空字符"}},
        // A price's integer part holds at most 14 digits, however written.
        {File("prices.csv", "A1," + std::string(309, '9') + "\nC3,099999999999999.99\n"), "",
         {"1 A1 新售价超出范围（整数部分最多14位）", "2 C3 可导入"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        t.Toolkit().ClearMessages();
        Import("", [&](FrmImportLines& i, FrmAdjuctPrice&) {
            i.TxtFile.SetText(c.path);
            i.ReadFile();
            EXPECT_EQ(Verdicts(i), c.verdicts);
            EXPECT_EQ(i.CmdImport.Enabled(), !c.verdicts.empty());
        });
        EXPECT_EQ(MessageTexts(), c.message.empty() ? Texts{} : Texts{c.message});
    }
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx"), 0);
}

// Files of up to 64 MB built to cost memory or time: each is read, or refused with a message naming
// the limit, within 200 MiB more than the program had. Each is also built at a quarter of its size:
// a reader that grows linearly takes about four times as long on the whole, a quadratic one sixteen,
// and a ratio holds up under a loaded machine where a bound in seconds does not.
TEST_F(ImportLines, HostileAndLargeFilesAreReadInBoundedMemoryAndLinearTime) {
    constexpr size_t kFile = bill::ImportFile::kMaxFileSize;
    // `size` is the file's share of kFile: the sheets of the workbooks take 20 MB of it.
    const auto sheet = [](size_t size, auto&& row) {
        std::string xml;
        for (int r = 1; xml.size() < size / 64 * 20; ++r) xml += row(r);
        return xml;
    };
    const auto fill = [](size_t size, const std::string& unit) {
        std::string s;
        while (s.size() + unit.size() < size) s += unit;
        return s;
    };
    const auto strings = [](size_t count, size_t bytes) {
        std::string items;
        for (size_t i = 0; i < count || items.size() < bytes;) {
            items += "<si><t>";
            for (const size_t end = items.size() + (count ? 0 : 4000); items.size() <= end;) items += std::to_string(i++);
            items += "</t></si>";
        }
        return billtest::Workbook("", items);
    };
    const std::string tooMany = "文件的数据超过327行(一张单据最多327行明细)，请分成几个文件导入";
    const struct {
        std::string name;
        std::function<std::string(size_t)> bytes;
        std::string message;
        size_t rows;
    } cases[] = {
        {"iv.xlsx", [&](size_t n) { return billtest::Workbook(sheet(n, [](int r) { auto i = std::to_string(r); return "<row r=\"" + i + "\"><c r=\"IV" + i + "\"><v>" + i + "</v></c></row>"; })); }, tooMany, 0},
        {"bomb.xlsx", [&](size_t n) { return billtest::Workbook(sheet(n, [](int) { return std::string("<row><c r=\"IV1\"><v>1</v></c></row>"); })); },
         "xlsx文件中xl/worksheets/sheet1.xml的压缩比超过200倍，不能导入", 0},
        {"blank.xlsx", [&](size_t n) { return billtest::Workbook(sheet(n, [](int r) { auto i = std::to_string(r); return "<row r=\"" + i + "\"><c r=\"IV" + i + "\"/></row>"; })); }, "", 0},
        {"cell.xlsx", [&](size_t n) { return billtest::Workbook("<row><c t=\"inlineStr\"><is><t>" + sheet(n, [](int r) { return std::to_string(r); }) + "</t></is></c></row>"); },
         "文件第1行的货号或新售价超过4096字节，不能导入", 0},
        {"strings.xlsx", [&](size_t n) { return strings((bill::XlsxReader::kMaxSharedStrings + 1) / (kFile / n), 0); }, "xlsx文件的共享字符串超过2097152个，不能导入", 0},
        {"long-strings.xlsx", [&](size_t n) { return strings(0, (bill::XlsxReader::kMaxSharedBytes + (1u << 20)) / (kFile / n)); }, "xlsx文件的共享字符串超过32MB，不能导入", 0},
        {"x.csv", [&](size_t n) { return fill(n, "x,"); }, "", 1},
        {"utf16.csv", [&](size_t n) { return "\xFF\xFE" + bill::Convert(fill(n, "x,").substr(0, n / 2 - 2), "UTF-8", "UTF-16LE"); }, "", 1},
        {"gb18030.csv", [&](size_t n) { return fill(n, "\xC6\xBB\xB9\xFB,"); }, "", 1},  // 苹果, in GB18030
        {"lines.csv", [&](size_t n) { return fill(n, "A1,6\n"); }, tooMany, 0},
    };
    // One reading of the file built at `size`.
    struct Reading {
        double seconds = 0;
        std::string message;
        size_t rows = 0;
        long growthMiB = 0;
    };
    const auto read = [&](const auto& c, size_t size) {
        const std::string path = File(c.name, c.bytes(size));
        EXPECT_LE(std::filesystem::file_size(path), kFile);
        Reading r;
        const billtest::PeakMemory peak;
        const auto start = std::chrono::steady_clock::now();
        try {
            r.rows = bill::ImportFile::Read(path).size();
        } catch (const std::exception& e) {
            r.message = e.what();
        }
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        r.growthMiB = peak.GrowthMiB();
        std::filesystem::remove(path);
        return r;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Eight times the quarter's time, and two seconds for what does not grow with the file. A
        // loaded machine's stall seldom strikes twice: the pair is measured again, three times at most.
        Reading quarter, whole;
        for (int attempt = 0; attempt < 3 && (attempt == 0 || whole.seconds >= 8 * quarter.seconds + 2.0); ++attempt) {
            quarter = read(c, kFile / 4);
            whole = read(c, kFile);
        }
        EXPECT_EQ(whole.message, c.message);
        EXPECT_EQ(whole.rows, c.rows);
        EXPECT_LT(whole.seconds, 8 * quarter.seconds + 2.0) << quarter.seconds << " s for a quarter of the file";
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LT(whole.growthMiB, 200);
#endif
    }
}
