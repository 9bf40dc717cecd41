// A one-page document with its page and the page's two lists, as the host tests drive them.
#pragma once

#include <gtest/gtest.h>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "platform/com/com.h"

struct page_lists {
    host::document doc;
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZResourceList> resources;
    com::ComPtr<IZPrintContentPage> page;

    page_lists()
    {
        EXPECT_TRUE(doc.ok());
        EXPECT_EQ(doc.add_page(5950, 8420, 720), S_OK);
        com::ComPtr<IDispatch> d;
        EXPECT_EQ(doc.page_objects(1, d.put()), S_OK);
        EXPECT_EQ(d->QueryInterface(IZPageObjectList::iid, objects.put_void()), S_OK);
        d.reset();
        EXPECT_EQ(doc.resources(1, d.put()), S_OK);
        EXPECT_EQ(d->QueryInterface(IZResourceList::iid, resources.put_void()), S_OK);
        d.reset();
        EXPECT_EQ(doc.page(1, d.put()), S_OK);
        EXPECT_EQ(d->QueryInterface(IZPrintContentPage::iid, page.put_void()), S_OK);
    }
};
