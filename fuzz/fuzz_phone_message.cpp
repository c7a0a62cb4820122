// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a phone may send: either a clear refusal, or a hello or claim within every limit,
// whose cartelle the server can answer.
#include "network/protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void require(bool holds, const char *what)
{
    if (!holds)
        std::fprintf(stderr, "fuzz_phone_message: %s\n", what), std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace network;
    const PhoneMessage message = parsePhoneMessage(QByteArrayView(data, qsizetype(size)));
    if (const auto *refusal = std::get_if<Refusal>(&message)) {
        require(!refusal->text.isEmpty(), "a refusal without words");
    } else if (const auto *hello = std::get_if<Hello>(&message)) {
        require(size <= size_t(kMaxMessageBytes), "an oversized hello accepted");
        require(hello->cartelle.size() <= kMaxCodesPerPhone, "too many cartelle");
        require(!cartelleMessage(hello->cartelle).isEmpty(), "cartelle not answered");
    } else if (const auto *claim = std::get_if<Claim>(&message)) {
        require(size <= size_t(kMaxMessageBytes), "an oversized claim accepted");
        require(claim->prize >= 0 && claim->prize <= 4, "a prize off the ladder");
        require(!claim->name.isEmpty() && claim->name.size() <= kMaxNameLength, "a name out of bounds");
        require(cartelle::parseCode(cartelle::printedCode(claim->cartella)) == claim->cartella,
            "a cartella that does not exist");
    }
    return 0;
}
