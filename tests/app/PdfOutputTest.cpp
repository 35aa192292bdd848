// The host's print engine: short unique file names, and the preview's PDF in the output folder.
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
    ASSERT_TRUE(fs::exists(first));
    const std::string name = first.filename().string();
    EXPECT_TRUE(name.size() < 160u && name.starts_with("调价单-TJ-2026-100000_TJ-2026-100001_") &&
                name.find("_等200张-") != std::string::npos)
        << name;

    data::PrintBillList(t.Db(), serials);  // again within the same second: a second file
    EXPECT_TRUE(host::PdfPrintEngine::LastOutputFile() != first && fs::exists(first));

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
    EXPECT_TRUE(file.parent_path() == fs::absolute(out) && file.filename().string().starts_with("调价单-TJ-7-")) << file;
}
