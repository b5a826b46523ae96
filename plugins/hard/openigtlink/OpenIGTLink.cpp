// Tracking and imaging devices reached over OpenIGTLink: the library connects to
// the device server named in "OpenIGTLink.conf" (in the configuration folder,
// beside "Wexlan.conf") and hands on the latest pose and frame of each stream it
// receives through the live-data entry points of wProtocol.h. The connection is
// made on the first live-data call, not when the control panel asks for the
// description (it unloads the library right after).

#include <cstring>
#include <iomanip>
#include <memory>
#include <sstream>

#include "ConfigurationFiles.h"
#include "IgtlStreams.h"
#include "wProtocol.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

wexlan::igtlink::StreamClient& Client() {
    // Destroyed when the library is unloaded, which stops the network thread.
    static const std::unique_ptr<wexlan::igtlink::StreamClient> client = [] {
        const wexlan::igtlink::Endpoint endpoint =
            wexlan::igtlink::ReadEndpoint(wexlan::ConfigurationFolder());
        return std::make_unique<wexlan::igtlink::StreamClient>(endpoint.host, endpoint.port);
    }();
    return *client;
}

std::string StatusText() {
    wexlan::igtlink::StreamClient& client = Client();
    std::ostringstream text;
    text << std::setprecision(6);
    const auto streams = client.Streams();
    if (streams.empty()) {
        text << "\t" << client.ConnectionState() << "\t0.0\t-\n";
    }
    for (const auto& stream : streams) {
        text << stream.device << "\t" << stream.state << "\t" << std::fixed << std::setprecision(1)
             << stream.rate << std::defaultfloat << std::setprecision(6) << "\t";
        if (stream.image) {
            const auto& size = stream.image->size;
            text << "image " << size[0] << "x" << size[1] << "x" << size[2];
        } else {
            for (int i = 0; i < 16; ++i) {
                text << (i > 0 ? " " : "") << stream.pose[i];
            }
        }
        text << "\n";
    }
    if (const std::string problem = client.Problem(); !problem.empty()) {
        text << "\tlast problem: " << problem << "\t-\t-\n";
    }
    return text.str();
}

}  // namespace

EXPORT int GetDataType() {
    return wexlan::kMatrixData;
}

EXPORT const char* GetName() {
    return "OpenIGTLink";
}

EXPORT const char* GetDesc() {
    return "Poses and images of tracking and imaging devices from an OpenIGTLink server";
}

EXPORT const char* GetVer() {
    return "1.0";
}

EXPORT int GetLiveStatus(char* text, int capacity) {
    const std::string status = StatusText();
    if (text != nullptr && capacity > 0) {
        const std::size_t copied = std::min(status.size(), static_cast<std::size_t>(capacity - 1));
        std::memcpy(text, status.data(), copied);
        text[copied] = '\0';
    }
    return static_cast<int>(status.size());
}

EXPORT int GetLivePose(double* matrix, unsigned long long* sequence) {
    for (const auto& stream : Client().Streams()) {
        if (stream.hasPose) {
            std::copy(stream.pose.begin(), stream.pose.end(), matrix);
            *sequence = stream.sequence;
            return 1;
        }
    }
    return 0;
}

EXPORT int GetLiveImage(int* size, double* spacing, double* origin, int* vtkScalarType,
                        int* components, const void** pixels, unsigned long long* sequence) {
    // The frame handed out last, kept alive until the next call.
    static std::shared_ptr<const wexlan::igtlink::Image> handedOut;
    for (const auto& stream : Client().Streams()) {
        if (stream.image) {
            handedOut = stream.image;
            std::copy(handedOut->size.begin(), handedOut->size.end(), size);
            std::copy(handedOut->spacing.begin(), handedOut->spacing.end(), spacing);
            std::copy(handedOut->origin.begin(), handedOut->origin.end(), origin);
            // The wire's scalar codes are VTK's but for signed 8-bit (VTK_SIGNED_CHAR is 15).
            *vtkScalarType = handedOut->scalarType == 2 ? 15 : handedOut->scalarType;
            *components = handedOut->components;
            *pixels = handedOut->pixels.data();
            *sequence = stream.sequence;
            return 1;
        }
    }
    return 0;
}
