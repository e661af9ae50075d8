#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "batch_rig.h"
#include "cli/batch.h"
#include "support/temp_files.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

// A listing file of `sheets` pages as the page framing writes them.
std::string Listing(int sheets) {
    const std::string esc = "\x1b";
    std::string text;
    for (int s = 1; s <= sheets; ++s) {
        text += "\r\n\r\n\r\n\r\n\r\n";
        text += esc + "G          PROYECTO :  Centro                 HOJA No." + std::to_string(s) +
                "\r\n";
        text += "          " + std::string(20, '\xcd') + "\r\n";
        text += esc + "H          \xb3 tramo \xb3 Bogot\xe1 \xb3\r\n";
        text += esc + "G          " + std::string(20, '\xcd') + "\r\n";
        text += esc + "H\x13\r\n";
    }
    return text;
}

struct Outcome {
    int rc;
    std::string out, err;
};

Outcome RunLine(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int rc = RunBatch(args, out, err);
    return {rc, out.str(), err.str()};
}

class BatchListingFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nivex-batch-listing-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        std::ofstream(dir_ / "LPT", std::ios::binary) << Listing(3);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(BatchListingFiles, ShowGivesTheViewersTextInUtf8) {
    const Outcome r = RunLine({"show", path("LPT")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find('\x13'), std::string::npos);
    // Indent 10 shown as 2; the frame codes as box-drawing characters, letters as letters.
    EXPECT_NE(r.out.find("\n  │ tramo │ Bogotá │"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("HOJA No.3"), std::string::npos);
}

TEST_F(BatchListingFiles, PrintWritesOnePdfPagePerSheet) {
    const Outcome r = RunLine({"print", path("LPT"), "--pdf", path("out.pdf")});
    ASSERT_EQ(r.rc, 0) << r.err;
    std::ifstream in(path("out.pdf"), std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), {});
    int pages = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    EXPECT_EQ(pages, 3);
    EXPECT_FALSE(nivex::testing::HasTempFile(path("out.pdf")));
}

TEST_F(BatchListingFiles, MissingFilesAndTargetsAreReported) {
    EXPECT_EQ(RunLine({"show", path("nada")}).rc, 1);
    const Outcome r = RunLine({"print", path("LPT"), "--pdf", path("no/such/dir/out.pdf")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("out.pdf"), std::string::npos) << r.err;
    EXPECT_EQ(RunLine({"print", path("LPT")}).rc, 2);  // no --pdf
    EXPECT_EQ(RunLine({"--projects", dir_.string(), "--project", "AB1", "list", "QQ"}).rc, 1);
}

// A listing refused on a text screen says why on standard error, since no screen shows it.
class BatchListingRefusals : public swmm::testing::DesignedProjectTest {};

TEST_F(BatchListingRefusals, TextBoxMessagesReachStandardError) {
    // Past the menu's gate, the evolution listing itself refuses when its file is missing.
    Design(1, 1, 1);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(fs::remove(folder() / "MensEv.AB1"));
    const BatchOutcome r = batch({"--project", "AB1", "list", "5B", "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("... Falta hacer o repetir el dise\xc3\xb1o del proyecto ..."),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace nivex::cli
