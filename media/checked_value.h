// The value of an Expected inside a frame source, whose pipeline reports failures as exceptions.
#pragma once

#include "core/expected.h"

#include <stdexcept>
#include <utility>

namespace camlog::media {

// The value, or a std::runtime_error carrying the error's message.
template <typename T, typename Code> T checked(core::Expected<T, Code> result)
{
    if (!result)
        throw std::runtime_error(result.error().message);
    return std::move(result.value());
}

} // namespace camlog::media
