// The host's print engine: file names stay short and unique however many bills are printed at
// once, and the preview proposes its PDF in the output folder the program was given.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/PrintEngine.h"
#include "host/PdfPrintEngine.h"
#include "support/TestDatabase.h"

namespace fs = std::filesystem;

namespace {

class PdfOutput : public ::testing::Test {
protected:
    void Bill(const std::string& lsh) { t.StoreBill({.lsh = lsh, .lines = {{"H1", 1, 2}}, .execdate = "'2026-12-03'"}); }
    testing_support::TestDatabase t;
    const fs::path out = fs::path(t.Path()).parent_path() / "输出";
};

}  // namespace

TEST_F(PdfOutput, ManyBillsGiveAShortUniqueName) {
    host::RegisterPdfPrintEngine(host::PrintOutput::PdfFile, out.string());
    std::string serials;
    for (int i = 0; i < 200; ++i) {
        const std::string lsh = "TJ-2026-" + std::to_string(100000 + i);
        Bill(lsh);
        serials += (serials.empty() ? "" : "|") + lsh;
    }
    data::PrintBillList(t.Db(), serials);
    const fs::path first = host::PdfPrintEngine::LastOutputFile();
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(fs::exists(first));
    const std::string name = first.filename().string();
    EXPECT_LT(name.size(), 160u) << name;
    EXPECT_EQ(name.rfind("调价单-TJ-2026-100000_TJ-2026-100001_", 0), 0u) << name;
    EXPECT_NE(name.find("_等200张-"), std::string::npos) << name;

    // The same bills again within the same second: a second file, the first one kept.
    data::PrintBillList(t.Db(), serials);
    const fs::path second = host::PdfPrintEngine::LastOutputFile();
    EXPECT_NE(second, first);
    EXPECT_TRUE(fs::exists(first));

    // One serial longer than a file name may be.
    const std::string huge(400, 'S');
    Bill(huge);
    data::PrintBillList(t.Db(), huge);
    EXPECT_LT(fs::path(host::PdfPrintEngine::LastOutputFile()).filename().string().size(), 160u);
}

TEST_F(PdfOutput, ThePreviewPrintsIntoTheOutputFolder) {
    host::RegisterPdfPrintEngine(host::PrintOutput::Preview, out.string());
    Bill("TJ-7");
    QString proposed;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w)) {
                proposed = preview->printer()->outputFileName();
                preview->reject();
            }
        }
    });
    data::PrintBillList(t.Db(), "TJ-7");
    ASSERT_FALSE(proposed.isEmpty()) << "no preview was shown, or it proposes no file";
    const fs::path file = proposed.toStdString();
    EXPECT_EQ(file.parent_path(), fs::absolute(out));
    EXPECT_EQ(file.filename().string().rfind("调价单-TJ-7-", 0), 0u) << file;
}
