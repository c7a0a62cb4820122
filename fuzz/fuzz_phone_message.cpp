// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a phone may send: either a clear refusal, or a hello or claim within every limit,
// whose cartelle the server can answer. The same bytes come from the broker too, the first
// line as the topic (retained when it begins with '!'): answered only on a claim
// topic of the room, never when retained, and held to the hall's limits.
#include "network/broker_link.h"
#include "network/protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void require(bool holds, const char *what)
{
    if (!holds)
        std::fprintf(stderr, "fuzz_phone_message: %s\n", what), std::abort();
}

static void checkMessage(const network::PhoneMessage &message, size_t size)
{
    using namespace network;
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
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    checkMessage(network::parsePhoneMessage(bytes), size);

    const qsizetype end = bytes.indexOf('\n');
    QByteArrayView line = bytes.first(end < 0 ? 0 : end);
    const bool retained = line.startsWith('!');
    if (retained)
        line = line.sliced(1);
    const QString room = QStringLiteral("casa-1");
    const QString topic = QString::fromUtf8(line);
    const QByteArrayView payload = bytes.sliced(end + 1);
    const auto read = network::remote::readBrokerClaim(room, topic, payload, retained);
    if (read) {
        require(!retained, "a retained claim answered");
        require(network::remote::claimingPhone(room, topic) == read->phone, "a phone not named by its topic");
        require(network::remote::isRoomName(read->phone), "a phone's name out of shape");
        require(!std::holds_alternative<network::Hello>(read->message), "a hello answered from the broker");
        checkMessage(read->message, size_t(payload.size()));
    }
    return 0;
}
