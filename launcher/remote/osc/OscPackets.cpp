#include "launcher/remote/osc/OscPackets.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>

namespace remote {

namespace {

const char kPrefix[] = "/pavora/";
const size_t kPrefixSize = sizeof(kPrefix) - 1;

uint32_t BigEndian(const char* p)
{
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t(u[0]) << 24) | (uint32_t(u[1]) << 16) | (uint32_t(u[2]) << 8) | u[3];
}

// oscpack 1.1.0 adds a bundle element's size in 32-bit arithmetic, which wraps (an element
// of 0xFFFFFFFC bytes keeps its loop on one spot for ever), and lets a blob whose size runs
// past the message through (on a 32-bit build its pointer then wraps backwards). The sizes
// are checked here first; reading the packet stays oscpack's.
bool SizesHold(const char* data, size_t size, int depth)
{
    if (size == 0 || size % 4 != 0) return false;
    if (data[0] == '#') {
        if (depth >= kMostOscDepth || size < 16 || std::memcmp(data, "#bundle", 8) != 0) return false;
        for (size_t at = 16; at < size;) {
            uint32_t element = BigEndian(data + at);
            at += 4;
            if (element > size - at || !SizesHold(data + at, element, depth + 1)) return false;
            at += element;
        }
        return true;
    }
    const char* addressEnd = static_cast<const char*>(std::memchr(data, '\0', size));
    if (!addressEnd) return false;
    size_t tags = (static_cast<size_t>(addressEnd - data) / 4 + 1) * 4;
    if (tags >= size || data[tags] != ',') return true;
    const char* tagsEnd = static_cast<const char*>(std::memchr(data + tags, '\0', size - tags));
    // Blobs are never ours: a message that carries one is refused, whatever its address.
    return !tagsEnd || std::find(data + tags, tagsEnd, 'b') == tagsEnd;
}

// An int32, or a float that is a whole number: many desks send their numbers as floats.
bool NumberOf(const osc::ReceivedMessage& message, int& number)
{
    if (message.ArgumentCount() == 0) return false;
    osc::ReceivedMessageArgumentIterator first = message.ArgumentsBegin();
    if (first->IsInt32()) {
        number = first->AsInt32Unchecked();
        return true;
    }
    if (!first->IsFloat()) return false;
    float value = first->AsFloatUnchecked();
    if (!(std::fabs(value) < 1e6f) || value != std::floor(value)) return false;
    number = static_cast<int>(value);
    return true;
}

class Collector {
public:
    explicit Collector(std::vector<OscRequest>& requests) : requests_(requests) {}

    void Message(const osc::ReceivedMessage& message)
    {
        if (++messages_ > kMostOscMessages) throw osc::MalformedPacketException("too many messages");
        const char* address = message.AddressPattern();
        if (std::strncmp(address, kPrefix, kPrefixSize) != 0) return;
        OscRequest request;
        request.name = address + kPrefixSize;
        int number = 0;
        bool hasNumber = NumberOf(message, number);
        request.ok = CommandFromOsc(request.name, hasNumber, number, request.command, request.error);
        requests_.push_back(request);
    }

    void Bundle(const osc::ReceivedBundle& bundle)
    {
        for (auto element = bundle.ElementsBegin(); element != bundle.ElementsEnd(); ++element) {
            if (element->IsBundle()) Bundle(osc::ReceivedBundle(*element));
            else Message(osc::ReceivedMessage(*element));
        }
    }

private:
    std::vector<OscRequest>& requests_;
    size_t messages_ = 0;
};

std::string Finished(osc::OutboundPacketStream& stream)
{
    return std::string(stream.Data(), stream.Size());
}

}  // namespace

bool ReadOscPacket(const char* data, size_t size, std::vector<OscRequest>& requests)
{
    requests.clear();
    if (size > kMostOscBytes || !SizesHold(data, size, 0)) return false;
    std::vector<OscRequest> found;
    try {
        osc::ReceivedPacket packet(data, size);
        Collector collector(found);
        if (packet.IsBundle()) collector.Bundle(osc::ReceivedBundle(packet));
        else collector.Message(osc::ReceivedMessage(packet));
    } catch (const osc::Exception&) {
        return false;
    }
    requests.swap(found);
    return true;
}

std::string OscStateReply(const RemoteStatus& status)
{
    std::vector<char> buffer(64 + status.state.size() + status.effect.size());
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    long long entry = std::min<long long>(status.entry, 0x7FFFFFFF);
    stream << osc::BeginMessage("/pavora/state") << status.state.c_str() << static_cast<osc::int32>(entry)
           << status.effect.c_str() << osc::EndMessage;
    return Finished(stream);
}

std::string OscErrorReply(const std::string& name, const std::string& error)
{
    std::vector<char> buffer(64 + name.size() + error.size());
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginMessage("/pavora/error") << name.c_str() << error.c_str() << osc::EndMessage;
    return Finished(stream);
}

}  // namespace remote
