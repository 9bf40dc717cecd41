// A one-page document with its page and the page's two lists, as the host tests drive them, and
// the few steps they all take: a list's interface, an object made and listed there.
#pragma once

#include <gtest/gtest.h>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "platform/com/com.h"
#include "tests/road/support.h"

using road::as;

struct lists {
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZResourceList> resources;
};

inline lists lists_of(const host::document& doc, LONG page)
{
    lists l;
    com::ComPtr<IDispatch> d;
    EXPECT_EQ(doc.page_objects(page, d.put()), S_OK);
    l.objects = as<IZPageObjectList>(d.get());
    d.reset();
    EXPECT_EQ(doc.resources(page, d.put()), S_OK);
    l.resources = as<IZResourceList>(d.get());
    return l;
}

// A new page object of `kind`, listed under its id.
template <typename I>
com::ComPtr<I> place(IZPageObjectList* list, LONG kind)
{
    com::ComPtr<IDispatch> o;
    EXPECT_EQ(list->Create(kind, o.put()), S_OK);
    auto v = com::Variant::from_dispatch(o.get());
    LONG id = 0;
    EXPECT_EQ(list->Add(*v.get(), &id), S_OK);
    return as<I>(o.get());
}

// A new resource of `kind`, kept with an id or without one.
template <typename I>
com::ComPtr<I> keep(IZResourceList* list, LONG kind, bool with_id = true)
{
    com::ComPtr<IDispatch> o;
    EXPECT_EQ(list->Create(kind, o.put()), S_OK);
    auto v = com::Variant::from_dispatch(o.get());
    LONG id = 0;
    if (with_id)
        EXPECT_EQ(list->Add(*v.get(), &id), S_OK);
    else
        EXPECT_EQ(list->AddWithoutID(*v.get()), S_OK);
    return as<I>(o.get());
}

struct page_lists : lists {
    host::document doc;
    com::ComPtr<IZPrintContentPage> page;

    page_lists()
    {
        EXPECT_TRUE(doc.ok());
        EXPECT_EQ(doc.add_page(5950, 8420, 720), S_OK);
        static_cast<lists&>(*this) = lists_of(doc, 1);
        com::ComPtr<IDispatch> d;
        EXPECT_EQ(doc.page(1, d.put()), S_OK);
        page = as<IZPrintContentPage>(d.get());
    }
};
