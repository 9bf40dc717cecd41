// A document whose element holds a string longer than a record may is not saved: no file, and
// a message naming the element and the property, however the string got there. One unit less
// saves and loads back.
#include <fstream>
#include <sstream>
#include <string>

#include "core/record_io.h"
#include "tests/road/support.h"
#include "tests/shell/temp_tree.h"

namespace road {
namespace {

// The file's bytes, or "none".
std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return "none";
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class PjdStringLimit : public on_pages {
protected:
    void SetUp() override
    {
        on_pages::SetUp();
        link = attached<IZCntElementLink>(u"Orvane.ZCntElementLink.1");
        ASSERT_TRUE(link);
        ASSERT_TRUE(folder.ok());
        path = folder.root() + "/limit.pjd";
    }
    void TearDown() override
    {
        link.reset();
        on_pages::TearDown();
    }

    shell_test::TempTree folder;
    com::ComPtr<IZCntElementLink> link;
    std::string path;
};

TEST_F(PjdStringLimit, TheSaveNamesTheElementAndTheProperty)
{
    const std::size_t longest = cnt::record::max_string_units;
    using setter = HRESULT (*)(IZCntElementLink*, BSTR);
    struct way {
        const char* property;
        setter set;
    };
    const way ways[] = {
        {"Description",
         [](IZCntElementLink* l, BSTR s) {
             com::ComPtr<IZCntElementBase> e;
             l->QueryInterface(IZCntElementBase::iid, e.put_void());
             return e->put_Description(s);
         }},
        {"LinkURL", [](IZCntElementLink* l, BSTR s) { return l->SetLinkData(s, 0xFF, VARIANT_FALSE); }},
    };
    LONG kind = 0;
    com::ComPtr<IZElement> element;
    ASSERT_EQ(link->QueryInterface(IZElement::iid, element.put_void()), S_OK);
    element->GetObjectKind(&kind);
    com::Bstr empty(u""), fits(std::u16string(longest, u'd'));
    com::Bstr too_long(std::u16string(longest + 1, u'e'));
    for (const way& w : ways) {
        SCOPED_TRACE(w.property);
        ASSERT_EQ(w.set(link.get(), too_long.get()), S_OK);
        // The first time there is no file, the second time the last save's: either stays.
        const std::string before = contents(path);
        std::string message;
        EXPECT_EQ(doc.save(path, &message), E_ACCESSDENIED);
        EXPECT_TRUE(contents(path) == before) << "the file changed";
        EXPECT_NE(message.find(" of page 1 (IZCntElementLink, kind " + std::to_string(kind) +
                               ") cannot be saved: property " + w.property + " holds " +
                               std::to_string(longest + 1) + " characters"),
                  std::string::npos)
            << message;

        // The longest string that fits saves and comes back whole.
        ASSERT_EQ(w.set(link.get(), fits.get()), S_OK);
        ASSERT_EQ(doc.save(path, &message), S_OK) << message;
        host::document loaded;
        ASSERT_EQ(host::document::load(path, &loaded, &message), S_OK) << message;
        ASSERT_EQ(w.set(link.get(), empty.get()), S_OK);
    }
}

}  // namespace
}  // namespace road
