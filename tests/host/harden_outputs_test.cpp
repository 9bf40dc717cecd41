// Outputs written together: all of them replace their targets, or none does and the old files
// stay as they were; nothing of a batch is left beside the targets either way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/io/files.h"
#include "tests/host/harden_support.h"

namespace {

namespace fs = std::filesystem;

class OutputBatch : public harden_test::in_scratch {
protected:
    HRESULT prepare(host::file_batch& batch, const std::string& name, const std::string& text)
    {
        std::string message;
        const HRESULT hr = batch.prepare(path(name), reinterpret_cast<const BYTE*>(text.data()),
                                         text.size(), &message);
        EXPECT_EQ(FAILED(hr), !message.empty()) << message;
        return hr;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(scratch.root()))
            all.push_back(e.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    }
};

TEST_F(OutputBatch, CommitReplacesEveryTargetAndNothingShowsBefore)
{
    harden_test::write_all(path("doc.pjd"), "old pjd");
    host::file_batch batch;
    ASSERT_EQ(prepare(batch, "doc.pjd", "new pjd"), S_OK);
    ASSERT_EQ(prepare(batch, "out.pdf", "new pdf"), S_OK);
    ASSERT_EQ(prepare(batch, "report.json", "{}"), S_OK);
    // Prepared is not written: the targets are as they were.
    EXPECT_EQ(harden_test::read_all(path("doc.pjd")), "old pjd");
    EXPECT_FALSE(fs::exists(path("out.pdf")));
    std::string message;
    ASSERT_EQ(batch.commit(&message), S_OK) << message;
    EXPECT_EQ(harden_test::read_all(path("doc.pjd")), "new pjd");
    EXPECT_EQ(harden_test::read_all(path("out.pdf")), "new pdf");
    EXPECT_EQ(harden_test::read_all(path("report.json")), "{}");
    EXPECT_EQ(names(), (std::vector<std::string>{"doc.pjd", "out.pdf", "report.json"}));
}

TEST_F(OutputBatch, AFailureAnywhereLeavesTheOldFilesAndNoNewOnes)
{
    struct failing {
        const char* what;
        bool at_commit;  // the last target turns into a folder between prepare and commit
    };
    for (const failing f : {failing{"prepare", false}, failing{"commit", true}}) {
        SCOPED_TRACE(f.what);
        for (const std::string& n : names()) fs::remove_all(path(n));
        harden_test::write_all(path("doc.pjd"), "old pjd");
        harden_test::write_all(path("report.json"), "old report");
        {
            host::file_batch batch;
            ASSERT_EQ(prepare(batch, "doc.pjd", "new pjd"), S_OK);
            ASSERT_EQ(prepare(batch, "report.json", "new report"), S_OK);
            ASSERT_EQ(prepare(batch, "new.txt", "new"), S_OK);
            if (f.at_commit) {
                ASSERT_EQ(prepare(batch, "out.pdf", "new pdf"), S_OK);
                fs::create_directory(path("out.pdf"));
                fs::create_directory(path("out.pdf/inside"));
                std::string message;
                EXPECT_EQ(batch.commit(&message), STG_E_WRITEFAULT);
                EXPECT_NE(message.find(path("out.pdf")), std::string::npos) << message;
            } else {
                fs::create_directory(path("out.pdf"));
                EXPECT_EQ(prepare(batch, "out.pdf", "new pdf"), HRESULT_FROM_WIN32(5));
            }
        }
        EXPECT_EQ(harden_test::read_all(path("doc.pjd")), "old pjd");
        EXPECT_EQ(harden_test::read_all(path("report.json")), "old report");
        EXPECT_EQ(names(), (std::vector<std::string>{"doc.pjd", "out.pdf", "report.json"}));
    }
}

// One file alone is the atomic write of tests/host/user_files_test.cpp.

}  // namespace
