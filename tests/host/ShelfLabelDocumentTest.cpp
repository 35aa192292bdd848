// Shelf labels as printed, rendered (pdftoppm) and their Code 128 barcodes decoded (zbarimg).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PdfSupport.h"
#include "host/ShelfLabelDocument.h"
#include "host/ShelfLabelPrinter.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

using host_test::Quoted;

// Every barcode zbarimg finds on the images, sorted.
std::vector<std::string> Decoded(const std::vector<fs::path>& images) {
    std::string command = "zbarimg -q --raw -Sdisable -Scode128.enable";
    for (const auto& image : images) command += " " + Quoted(image.string());
    auto codes = host_test::Split(host_test::Output(command), '\n');
    std::sort(codes.begin(), codes.end());
    return codes;
}

data::ShelfLabel Label(const std::string& code, double oldPrice, double newPrice) {
    data::ShelfLabel l;
    l.itemCode = code;
    l.name = "苹果 Fuji 红富士特级";
    l.size = "500g";
    l.origin = "烟台";
    l.unit = "袋";
    l.oldPrice = oldPrice;
    l.newPrice = newPrice;
    l.strikeOld = oldPrice > newPrice;
    l.execDate = "2026-12-10";
    return l;
}

class ShelfLabelPdf : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v zbarimg >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "zbarimg or pdftoppm missing (zbar-tools, poppler-utils)";
    }
    testing_support::ScratchDir scratch{"spb-labels"};
    const fs::path& dir = scratch.Path();
};

}  // namespace

TEST_F(ShelfLabelPdf, TheBarcodesDecodeToTheItemCodesOnBothSheetsAndNothingToPrintWritesNoFile) {
    data::LabelJob job;
    EXPECT_THROW(host::ShelfLabelPrinter(host::PrintOutput::PdfFile, dir.string()).SavePdf(job), std::exception);
    EXPECT_TRUE(host_test::FilesIn(dir).empty());
    job.decimals = 2;
    // Two sets: on A4 the second starts on a sheet of its own. A code outside Latin-1 cannot be a
    // Code 128 symbol: its label is printed with the code as text only.
    job.sets.push_back({"TJ-7", "001", "一分店",
                        {Label("6901234567892", 6, 5.5), Label("A1", 4, 4.4), Label("X-12/b", 3, 3), Label("货号一", 9, 8)}});
    job.sets.push_back({"TJ-7", "0031", "三一店", {Label("100003", 12.5, 9.99)}});
    const std::vector<std::string> expected = {"100003", "6901234567892", "A1", "X-12/b"};

    const struct {
        data::LabelSheet sheet;
        int pages;
    } cases[] = {{data::LabelSheet::A4Grid, 2}, {data::LabelSheet::Roll, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pages);
        job.sheet = c.sheet;
        const fs::path out = dir / (c.sheet == data::LabelSheet::Roll ? "roll" : "a4");
        host::ShelfLabelPrinter printer(host::PrintOutput::PdfFile, out.string());
        const std::string pdf = printer.SavePdf(job);
        EXPECT_EQ(pdf.rfind((out / "价签-TJ-7-").string(), 0), 0u) << pdf;
        EXPECT_EQ(host::ShelfLabelDocument(job).PageCount(), c.pages);

        ASSERT_EQ(std::system(("pdftoppm -r 300 -gray -png " + Quoted(pdf) + " " + Quoted((out / "page").string())).c_str()), 0);
        std::vector<fs::path> images;
        for (const auto& f : host_test::FilesIn(out))
            if (f.extension() == ".png") images.push_back(f);
        EXPECT_EQ(Decoded(images), expected);
        EXPECT_TRUE(host_test::Has(host_test::Joined(host_test::PdfPages(pdf)), "¥5.50")) << "the new price in jjbl decimals";
    }
}
