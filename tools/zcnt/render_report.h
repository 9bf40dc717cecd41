// The report `zcnt render --report` writes, gathered while a description runs: every element's
// calls with their results and the hit tests as they are made, then the elements' ids and
// records, every page's objects and the container's records once the run is over.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "platform/com/com.h"
#include "tools/zcnt/description.h"
#include "tools/zcnt/dispatch_call.h"

namespace zcnt {

struct made_element {
    std::string class_text;
    CLSID clsid{};
    LONG page = 0;
    com::ComPtr<IDispatch> dispatch;
};

class render_report {
public:
    render_report();
    ~render_report();
    render_report(const render_report&) = delete;
    render_report& operator=(const render_report&) = delete;

    // Calls are reported for the element added last, or for the one at `element` (from 0).
    void add_element();
    void add_call(const call_description& call, const call_result& result,
                  std::size_t element = static_cast<std::size_t>(-1));
    void add_hit(IZCntElementContainer* container, IZPrintContentPage* page, const hit_description& hit);

    // The rest of the report, once the run is over and before anything is saved.
    void finish(const host::document& document, IZCntElementContainer* container,
                const std::vector<made_element>& elements,
                const std::vector<com::ComPtr<IZPrintContentPage>>& pages);
    // The whole report as its file holds it.
    std::string text() const;

private:
    struct state;
    std::unique_ptr<state> state_;
};

// An HRESULT as messages and reports show it: 0x80070057.
std::string hex_of(HRESULT hr);

}  // namespace zcnt
