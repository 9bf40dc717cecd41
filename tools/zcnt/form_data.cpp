// The answers of a filled-in PDF form. The file comes from whoever filled it in: qpdf parses
// it, the walk over the field tree is bounded in depth and size and stops at loops, and every
// qpdf error becomes one message.
#include "tools/zcnt/form_data.h"

#include <cerrno>
#include <exception>
#include <set>
#include <string>

#include <nlohmann/json.hpp>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "platform/com/regular_file.h"

namespace zcnt {
namespace {

constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxFields = 100000;

struct inherited {
    std::string name, type, mapping;
    QPDFObjectHandle value;
    long long flags = 0;
    bool exported = true;
};

// A value as JSON: text as UTF-8, a name without its slash (a pypdf-style "/Yes" string too,
// for buttons), a list of choices as an array; null when there is none.
nlohmann::ordered_json value_of(QPDFObjectHandle v, bool button)
{
    if (!v.isInitialized() || v.isNull()) return nullptr;
    if (v.isName()) return v.getName().substr(1);
    if (v.isString()) {
        std::string text = v.getUTF8Value();
        if (button && !text.empty() && text[0] == '/') text.erase(0, 1);
        return text;
    }
    if (v.isArray()) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (int i = 0; i < v.getArrayNItems(); ++i) list.push_back(value_of(v.getArrayItem(i), button));
        return list;
    }
    return nullptr;
}

class walker {
public:
    nlohmann::ordered_json answers = nlohmann::ordered_json::object();
    std::string error;

    void field(QPDFObjectHandle f, inherited up, int depth)
    {
        if (!error.empty() || !f.isDictionary()) return;
        if (depth > kMaxDepth) {
            error = "its fields nest deeper than " + std::to_string(kMaxDepth);
            return;
        }
        if (f.isIndirect() && !seen_.insert(f.getObjGen()).second) return;
        if (++count_ > kMaxFields) {
            error = "it has more than " + std::to_string(kMaxFields) + " fields";
            return;
        }
        if (QPDFObjectHandle t = f.getKey("/T"); t.isString())
            up.name = up.name.empty() ? t.getUTF8Value() : up.name + "." + t.getUTF8Value();
        if (QPDFObjectHandle ft = f.getKey("/FT"); ft.isName()) up.type = ft.getName();
        if (QPDFObjectHandle m = f.getKey("/ZCntMapping"); m.isString()) up.mapping = m.getUTF8Value();
        if (QPDFObjectHandle e = f.getKey("/ZCntExport"); e.isBool()) up.exported = e.getBoolValue();
        if (f.hasKey("/V")) up.value = f.getKey("/V");
        if (QPDFObjectHandle ff = f.getKey("/Ff"); ff.isInteger()) up.flags = ff.getIntValue();
        QPDFObjectHandle kids = f.getKey("/Kids");
        bool has_fields = false;
        if (kids.isArray())
            for (int i = 0; i < kids.getArrayNItems(); ++i)
                if (QPDFObjectHandle k = kids.getArrayItem(i); k.isDictionary() && k.hasKey("/T")) {
                    has_fields = true;
                    field(k, up, depth + 1);
                }
        // A push button holds no answer.
        const bool button = up.type == "/Btn";
        if (has_fields || up.name.empty() || !up.exported || (button && (up.flags & (1 << 16))))
            return;
        nlohmann::ordered_json v = value_of(up.value, button);
        if (v.is_null() && button) v = value_of(f.getKey("/AS"), true);
        answers[up.mapping.empty() ? up.name : up.mapping] = std::move(v);
    }

private:
    std::set<QPDFObjGen> seen_;
    std::size_t count_ = 0;
};

}  // namespace

int run_form_data(const std::string& path, std::FILE* out, std::FILE* err)
{
    // Opened by us first, so that a FIFO or a folder is refused instead of waited on.
    // Held until qpdf takes it over, so that no failure on the way leaves it open.
    com::file_ptr file(com::fopen_regular_file(path.c_str()));
    if (!file) {
        std::fprintf(err, "zcnt: cannot open %s: %s\n", path.c_str(), com::open_failure(errno));
        return 2;
    }
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.c_str(), file.release(), true);
        if (pdf.isEncrypted()) {
            std::fprintf(err, "zcnt: %s is encrypted; its form cannot be read\n", path.c_str());
            return 2;
        }
        QPDFObjectHandle fields = pdf.getRoot().getKey("/AcroForm").getKey("/Fields");
        if (!fields.isArray()) {
            std::fprintf(err, "zcnt: %s has no form\n", path.c_str());
            return 2;
        }
        walker w;
        for (int i = 0; i < fields.getArrayNItems(); ++i) w.field(fields.getArrayItem(i), {}, 0);
        if (!w.error.empty()) {
            std::fprintf(err, "zcnt: the form of %s cannot be read: %s\n", path.c_str(),
                         w.error.c_str());
            return 2;
        }
        const std::string text =
            w.answers.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        std::fprintf(out, "%s\n", text.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: cannot read %s: %s\n", path.c_str(), e.what());
        return 2;
    }
}

}  // namespace zcnt
