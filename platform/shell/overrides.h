// Per-process stand-ins for the user, the locale and the clock, so that tests control what the
// library sees without touching the code under test. std::nullopt restores the real source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace shell {

// The name GetUserNameW reports, instead of the password database's.
void set_user_name_override(std::optional<std::u16string> name);

// A POSIX locale name ("de_DE.UTF-8", "C") read instead of LC_ALL / LC_MESSAGES / LANG.
void set_locale_override(std::optional<std::string> posix_locale);

// The time _time64 returns, in seconds since 1970-01-01 UTC. Local time still follows TZ.
void set_clock_override(std::optional<std::int64_t> seconds_since_1970);

}  // namespace shell
