// What the hardening tests share: a scratch folder, and a one-page document whose image
// elements place files from it, with the host objects each placement left behind.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "contentelements/cnt_image.h"
#include "elements/image/image.h"
#include "host/engine.h"
#include "host/kinds/host_object.h"
#include "module/class_map.h"
#include "tests/road/support.h"
#include "tests/shell/temp_tree.h"

namespace harden_test {

using shell_test::read_all;

inline void write_all(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A scratch folder for a test's files, removed with them after it.
class in_scratch : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }
    std::string path(const std::string& name) const { return scratch.root() + "/" + name; }
    // `bytes` as the file `name`; its path.
    std::string put(const std::string& name, std::string_view bytes) const
    {
        write_all(path(name), std::string(bytes));
        return path(name);
    }
    std::string put(const std::string& name, const std::vector<BYTE>& bytes) const
    {
        return put(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    shell_test::TempTree scratch;
};

// One page of 2480 x 3508 at 300 units per inch.
class placing_document {
public:
    placing_document()
    {
        // The element finds or makes the document's container through the class table.
        static const HRESULT registered = cnt::module::register_classes();
        EXPECT_EQ(registered, S_OK);
        EXPECT_EQ(doc.add_page(2480, 3508, 300), S_OK);
    }

    // A new image element on page 1 showing `file` in (100, 100, 600, 600); it stays alive
    // with the document.
    IZCntElementImage* place(const std::string& file)
    {
        com::ComPtr<IZCntElementImage> image;
        EXPECT_EQ(cnt::create_image(nullptr, IZCntElementImage::iid, image.put_void()), S_OK);
        EXPECT_EQ(road::attach_to_lists(image.get(), doc), S_OK);
        image->SetPosition(100, 100, 600, 600);
        com::Bstr name(std::u16string(file.begin(), file.end()));
        EXPECT_EQ(image->put_ImageFile(name.get()), S_OK);
        images_.push_back(image);
        return image.get();
    }

    host::document doc;

private:
    std::vector<com::ComPtr<IZCntElementImage>> images_;
};

}  // namespace harden_test
