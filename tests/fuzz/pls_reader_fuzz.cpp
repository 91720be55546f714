// libFuzzer target: the pls reader on arbitrary bytes (also with the header put in front,
// so that the fuzzer need not find it before it reaches the record parsing).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "play_list_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto records = quillmix::ParsePls(bytes, quillmix::fuzz::kListFolder)) {
        quillmix::fuzz::CheckRecords(*records);
    }
    const std::string withHeader = "[playlist]\n" + std::string(bytes);
    const auto records = quillmix::ParsePls(withHeader, quillmix::fuzz::kListFolder);
    quillmix::fuzz::Require(records.has_value());
    quillmix::fuzz::CheckRecords(*records);
    return 0;
}
