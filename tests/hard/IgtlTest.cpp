// The OpenIGTLink decoder and the network thread, against a sender on 127.0.0.1.
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <igtl_util.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "IgtlDecoder.h"
#include "IgtlSender.h"
#include "IgtlStreams.h"

using ::testing::HasSubstr;
using wexlan::igtlink::Message;
using wexlan::testing::IgtlSender;

namespace {

const double kPose[16] = {0, -1, 0, 10, 1, 0, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1};

// Waits up to `ms` for `condition`.
bool WaitFor(const std::function<bool()>& condition, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Writes a big-endian 64-bit value at `at`.
void Put64(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value) {
    for (int i = 7; i >= 0; --i, value >>= 8) {
        bytes[at + i] = static_cast<std::uint8_t>(value);
    }
}

// The message with a body of its own: the declared size and the checksum made to fit.
std::vector<std::uint8_t> WithBody(std::vector<std::uint8_t> message,
                                   const std::vector<std::uint8_t>& body) {
    message.resize(wexlan::igtlink::kHeaderSize);
    message.insert(message.end(), body.begin(), body.end());
    Put64(message, 42, body.size());
    Put64(message, 50, crc64(const_cast<std::uint8_t*>(body.data()), body.size(), 0));
    return message;
}

Message Decode(const std::vector<std::uint8_t>& bytes, std::string* headerProblem = nullptr) {
    std::string why;
    const auto header = wexlan::igtlink::DecodeHeader(bytes.data(), why);
    if (headerProblem != nullptr) {
        *headerProblem = why;
    }
    if (!header) {
        return {};
    }
    const std::size_t size = bytes.size() - wexlan::igtlink::kHeaderSize;
    return wexlan::igtlink::DecodeBody(*header, bytes.data() + wexlan::igtlink::kHeaderSize, size);
}

}  // namespace

TEST(IgtlDecoder, PosesAndImagesComeOutAsSent) {
    const Message pose = Decode(IgtlSender::Transform("Stylus", kPose));
    ASSERT_EQ(pose.kind, Message::Kind::Pose) << pose.problem;
    EXPECT_EQ(pose.device, "Stylus");
    for (int i = 0; i < 16; ++i) {
        EXPECT_DOUBLE_EQ(pose.pose[i], kPose[i]) << i;
    }
    const Message image = Decode(IgtlSender::Image("Probe", 4, 3, 2, 77));
    ASSERT_EQ(image.kind, Message::Kind::Image) << image.problem;
    EXPECT_EQ(image.image->size, (std::array<int, 3>{4, 3, 2}));
    EXPECT_DOUBLE_EQ(image.image->spacing[0], 0.5);
    EXPECT_EQ(image.image->pixels, std::vector<std::uint8_t>(24, 77));
    // A position with a three-component quaternion: a quarter turn about z.
    const float half = static_cast<float>(std::sqrt(0.5));
    std::vector<std::uint8_t> position(24);
    const float values[6] = {1, 2, 3, 0, 0, half};
    for (int i = 0; i < 6; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        for (int b = 0; b < 4; ++b) {
            position[i * 4 + b] = static_cast<std::uint8_t>(bits >> (24 - 8 * b));
        }
    }
    std::vector<std::uint8_t> message = WithBody(IgtlSender::Transform("Pointer", kPose), position);
    std::memcpy(message.data() + 2, "POSITION\0\0\0\0", 12);
    const Message turned = Decode(message);
    ASSERT_EQ(turned.kind, Message::Kind::Pose) << turned.problem;
    EXPECT_NEAR(turned.pose[1], -1, 1e-6);
    EXPECT_NEAR(turned.pose[4], 1, 1e-6);
    EXPECT_DOUBLE_EQ(turned.pose[11], 3);
}

TEST(IgtlDecoder, EachDamageIsRefusedWithItsReason) {
    const std::vector<std::uint8_t> good = IgtlSender::Transform("Stylus", kPose);
    std::string why;
    auto damaged = good;
    damaged[1] = 2;  // header version 2
    Decode(damaged, &why);
    EXPECT_THAT(why, HasSubstr("header version 2"));
    damaged = good;
    damaged[2] = '\0';
    Decode(damaged, &why);
    EXPECT_THAT(why, HasSubstr("type is empty"));
    damaged = good;
    Put64(damaged, 42, std::uint64_t{1} << 62);
    Decode(damaged, &why);
    EXPECT_THAT(why, HasSubstr("declares a body of 4611686018427387904 bytes"));

    damaged = good;
    damaged.back() ^= 1;
    EXPECT_THAT(Decode(damaged).problem, HasSubstr("checksum does not match"));
    damaged = good;
    damaged.pop_back();
    EXPECT_THAT(Decode(damaged).problem, HasSubstr("the body has 47 bytes, not the 48 declared"));
    damaged = WithBody(good, std::vector<std::uint8_t>(20));
    EXPECT_THAT(Decode(damaged).problem, HasSubstr("48 bytes, not 20"));
    std::memcpy(damaged.data() + 2, "POSITION\0\0\0\0", 12);
    EXPECT_THAT(Decode(damaged).problem, HasSubstr("12, 24 or 28 bytes, not 20"));
    std::memcpy(damaged.data() + 2, "STATUS\0\0", 8);
    const Message unknown = Decode(damaged);
    EXPECT_EQ(unknown.kind, Message::Kind::Unknown);
    EXPECT_EQ(unknown.problem, "unknown message type STATUS");

    // An image whose header promises more pixels than the body holds.
    auto image = IgtlSender::Image("Probe", 4, 3, 2, 1);
    std::vector<std::uint8_t> body(image.begin() + wexlan::igtlink::kHeaderSize, image.end() - 1);
    EXPECT_THAT(Decode(WithBody(image, body)).problem,
                HasSubstr("declares 24 bytes of pixels, the body holds 23"));
    body.push_back(1);
    body[8] = body[9] = 0;  // a size of zero along y
    EXPECT_THAT(Decode(WithBody(image, body)).problem, HasSubstr("whole, non-empty"));
    // A pose of infinities.
    body.assign(good.begin() + wexlan::igtlink::kHeaderSize, good.end());
    body[36] = 0x7f, body[37] = 0x80, body[38] = 0, body[39] = 0;
    EXPECT_THAT(Decode(WithBody(good, body)).problem, HasSubstr("pose is not finite"));
}

TEST(IgtlStreams, FollowsTheServerThroughSilenceDamageAndRestarts) {
    IgtlSender sender;
    wexlan::igtlink::StreamClient client("127.0.0.1", sender.Port());
    const std::string waiting = "waiting for 127.0.0.1:" + std::to_string(sender.Port());
    ASSERT_TRUE(sender.Accept(3000));
    ASSERT_TRUE(WaitFor([&] { return client.ConnectionState() == "connected"; }));

    // Poses and frames: only the latest of each stream is kept.
    double pose[16];
    std::copy(kPose, kPose + 16, pose);
    for (int i = 0; i < 200; ++i) {
        pose[3] = i;
        ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
    }
    ASSERT_TRUE(sender.Send(IgtlSender::Image("Probe", 256, 256, 1, 9)));
    ASSERT_TRUE(WaitFor([&] {
        const auto streams = client.Streams();
        return streams.size() == 2 && streams[1].image != nullptr;
    }));
    auto streams = client.Streams();
    EXPECT_EQ(streams[0].device, "Stylus");
    EXPECT_EQ(streams[0].state, "connected");
    EXPECT_EQ(streams[0].sequence, 200u);
    EXPECT_DOUBLE_EQ(streams[0].pose[3], 199);
    EXPECT_EQ(streams[1].image->size, (std::array<int, 3>{256, 256, 1}));

    // A silent server.
    const auto later = std::chrono::steady_clock::now() + std::chrono::milliseconds(2100);
    EXPECT_EQ(client.Streams(later)[0].state, "no message for 2 s");

    // Messages that cannot be used are skipped, the connection stays.
    auto damaged = IgtlSender::Transform("Stylus", pose);
    damaged.back() ^= 1;
    ASSERT_TRUE(sender.Send(damaged));
    ASSERT_TRUE(WaitFor([&] { return client.Problem().find("checksum") != std::string::npos; }));
    std::memcpy(damaged.data() + 2, "STATUS\0\0", 8);
    ASSERT_TRUE(sender.Send(WithBody(damaged, {1, 2, 3})));
    ASSERT_TRUE(WaitFor([&] { return client.Problem() == "Stylus: unknown message type STATUS"; }));
    EXPECT_EQ(client.ConnectionState(), "connected");

    // A huge declared body ends the connection; the client comes back by itself.
    Put64(damaged, 42, std::uint64_t{1} << 40);
    ASSERT_TRUE(sender.Send(damaged));
    ASSERT_TRUE(WaitFor([&] { return client.Problem().find("declares a body") != std::string::npos; }));
    ASSERT_TRUE(sender.Accept(3000));
    pose[3] = 500;
    ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
    ASSERT_TRUE(WaitFor([&] { return client.Streams()[0].pose[3] == 500; }));

    // The server goes away, then comes back on the same port.
    sender.Close();
    ASSERT_TRUE(WaitFor([&] { return client.Streams()[0].state == waiting; }));
    EXPECT_EQ(client.ConnectionState(), waiting);
    sender.Reopen();
    ASSERT_TRUE(sender.Accept(3000));
    pose[3] = 600;
    ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
    ASSERT_TRUE(WaitFor([&] { return client.Streams()[0].pose[3] == 600; }));
    EXPECT_EQ(client.Streams()[0].state, "connected");
}

TEST(IgtlStreams, TheEndpointComesFromTheConfigurationFile) {
    const std::string folder = ::testing::TempDir() + "/igtl-endpoint";
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder + "/OpenIGTLink.conf");
    EXPECT_EQ(wexlan::igtlink::ReadEndpoint(folder).port, 18944);
    std::ofstream(folder + "/OpenIGTLink.conf") << "# the tracker\nhost 127.0.0.2\nport 70000\n";
    EXPECT_EQ(wexlan::igtlink::ReadEndpoint(folder).host, "127.0.0.2");
    EXPECT_EQ(wexlan::igtlink::ReadEndpoint(folder).port, 18944);  // out of range
    std::ofstream(folder + "/OpenIGTLink.conf") << "port 18945 # the tracker\n";
    EXPECT_EQ(wexlan::igtlink::ReadEndpoint(folder).port, 18945);
    EXPECT_EQ(wexlan::igtlink::ReadEndpoint(folder).host, "127.0.0.1");
}
