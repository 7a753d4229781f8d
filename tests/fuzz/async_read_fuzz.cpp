// Any bytes as a path to read and as a Content-Length value: the classifier
// never reads past the text, gives a location only with a source, never a
// location with a control character, and a file location never keeps a
// forward slash of a file: URL; the length reads back the digits it was
// given, and the ledger never counts past its cap.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "async_read.h"

namespace {
void Require(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint32_t cap = input.ConsumeIntegralInRange<std::uint32_t>(0, 1 << 20);
    const std::uint32_t chunk = input.ConsumeIntegralInRange<std::uint32_t>(64, 1 << 16);
    const std::string length = input.ConsumeRandomLengthString(32);
    const std::string path = input.ConsumeRemainingBytesAsString();

    const ReadTarget target = ClassifyReadPath(path);
    Require((target.source == ReadSource::Unsupported) == target.location.empty());
    for (char c : target.location) Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    if (target.source == ReadSource::Http) Require(target.location == path);
    if (target.source == ReadSource::File && path.rfind("file:", 0) == 0)
        Require(target.location.find('/') == std::string::npos);

    const auto parsed = ParseContentLength(length);
    ReadLedger ledger(cap);
    if (ledger.Announce(parsed)) {
        Require(!parsed || *parsed <= cap);
        while (ledger.Add(chunk)) Require(ledger.Received() <= cap);
        Require(ledger.Received() <= cap);
        if (parsed) Require((ledger.AtEnd() == ReadFault::None) == (ledger.Received() == *parsed));
    } else {
        Require(parsed && *parsed > cap);
    }
    return 0;
}
