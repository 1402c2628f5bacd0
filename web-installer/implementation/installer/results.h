// Results of the engine's operations: 32-bit HRESULT values. Callers treat
// any non-zero result as a failure.
#pragma once

#include <cstdint>

namespace kovo::plugin::web::installer {

using Result = std::int32_t;

inline constexpr Result kResultOk = 0;                                          // S_OK
inline constexpr Result kResultAbort = static_cast<Result>(0x80004004u);        // E_ABORT: stopped or cancelled
inline constexpr Result kResultFail = static_cast<Result>(0x80004005u);         // E_FAIL: failed or skipped

}  // namespace kovo::plugin::web::installer
