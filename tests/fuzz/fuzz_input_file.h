// The fuzz input as a file: most readers under test take a path, not bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace camlog::fuzz {

// Writes the input to a file of this process under the temporary folder (one per
// extension, overwritten by every input) and returns its path.
std::filesystem::path writeInputFile(const std::uint8_t *data, std::size_t size, const std::string &extension);

} // namespace camlog::fuzz
