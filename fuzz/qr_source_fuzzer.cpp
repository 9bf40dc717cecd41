// Fuzz target: arbitrary bytes as the text of a QR source after its "qrcode" prefix. Parsing
// gives a result code; a parsed source composed again parses to the same parts, and its text
// makes a bitmap of the documented size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "elements/qrcode/qr_source.h"
#include "elements/qrcode/qr_symbol.h"
#include "platform/com/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view rest(reinterpret_cast<const char*>(data), size);
    cnt::qrcode::source parsed;
    if (FAILED(cnt::qrcode::parse_source(rest, &parsed))) return 0;
    // Names and languages holding the separators cannot be composed back unchanged.
    const bool plain = parsed.name.find_first_of(":|") == std::string::npos &&
                       parsed.language.find_first_of(":|") == std::string::npos &&
                       parsed.name.find('\0') == std::string::npos &&
                       parsed.language.find('\0') == std::string::npos &&
                       parsed.text.find('\0') == std::string::npos;
    if (plain && !parsed.name.empty()) {
        const std::u16string again =
            cnt::qrcode::compose_source(parsed.name, parsed.language, parsed.text);
        cnt::qrcode::source second;
        if (FAILED(cnt::qrcode::parse_source(com::to_ansi(again.substr(6)), &second))) std::abort();
        if (second.name != parsed.name || second.language != parsed.language ||
            second.text != parsed.text)
            std::abort();
    }
    if (parsed.text.size() > 256) return 0;
    cnt::qrcode::symbol code;
    if (!cnt::qrcode::encode(parsed.text, static_cast<LONG>(size % 4), &code)) return 0;
    const SHORT margin = static_cast<SHORT>(static_cast<int>(size % 7) - 2);
    cnt::qrcode::bitmap b;
    if (FAILED(cnt::qrcode::make_bitmap(code, margin, &b))) std::abort();
    const LONG m = margin < 0 ? 0 : margin;
    if (b.side != (code.width + 2 * m) * 3 ||
        b.bits.size() != static_cast<std::size_t>(b.row_bytes) * static_cast<std::size_t>(b.side))
        std::abort();
    return 0;
}
