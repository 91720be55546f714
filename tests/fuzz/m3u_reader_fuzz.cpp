// libFuzzer target: the m3u reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "play_list_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quillmix::fuzz::CheckRecords(quillmix::ParseM3u(bytes, quillmix::fuzz::kListFolder));
    return 0;
}
