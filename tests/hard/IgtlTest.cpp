// The OpenIGTLink decoder and the network thread, against a sender on 127.0.0.1.
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

#include <igtlPositionMessage.h>
#include <igtl_util.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "IgtlDecoder.h"
#include "IgtlSender.h"
#include "IgtlStreams.h"

using ::testing::HasSubstr;
using wexlan::igtlink::kHeaderSize;
using wexlan::igtlink::Message;
using wexlan::testing::IgtlSender;
using Bytes = std::vector<std::uint8_t>;

namespace {

const double kPose[16] = {0, -1, 0, 10, 1, 0, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1};

// Waits up to three seconds for `condition`.
bool WaitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!condition() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// Writes a big-endian 64-bit value at `at`.
void Put64(Bytes& bytes, std::size_t at, std::uint64_t value) {
    for (int i = 7; i >= 0; --i, value >>= 8) {
        bytes[at + i] = static_cast<std::uint8_t>(value);
    }
}

// The message with another type (when not empty) and body: size and checksum made to fit.
Bytes Rebuilt(Bytes message, const std::string& type, const Bytes& body) {
    message.resize(kHeaderSize);
    if (!type.empty()) {
        std::memset(message.data() + 2, 0, 12);
        std::memcpy(message.data() + 2, type.data(), type.size());
    }
    message.insert(message.end(), body.begin(), body.end());
    Put64(message, 42, body.size());
    Put64(message, 50, crc64(const_cast<std::uint8_t*>(body.data()), body.size(), 0));
    return message;
}

// The message decoded; a refused header gives a Broken message with the reason.
Message Decode(const Bytes& bytes) {
    Message refused;
    const auto header = wexlan::igtlink::DecodeHeader(bytes.data(), refused.problem);
    return header ? wexlan::igtlink::DecodeBody(*header, bytes.data() + kHeaderSize,
                                                bytes.size() - kHeaderSize)
                  : refused;
}

}  // namespace

TEST(IgtlDecoder, EachDamageIsRefusedWithItsReason) {
    const Bytes good = IgtlSender::Transform("Stylus", kPose);
    auto damaged = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return Decode(bytes).problem;
    };
    EXPECT_THAT(damaged(1, 2), HasSubstr("header version 2"));
    EXPECT_THAT(damaged(2, 0), HasSubstr("type is empty"));
    EXPECT_THAT(damaged(42, 1), HasSubstr("declares a body of 72057594037927984 bytes"));
    EXPECT_THAT(damaged(good.size() - 1, 1), HasSubstr("checksum does not match"));
    EXPECT_THAT(Decode(Bytes(good.begin(), good.end() - 1)).problem,
                HasSubstr("the body has 47 bytes, not the 48 declared"));
    EXPECT_THAT(Decode(Rebuilt(good, "", Bytes(20))).problem, HasSubstr("48 bytes, not 20"));
    EXPECT_THAT(Decode(Rebuilt(good, "POSITION", Bytes(20))).problem,
                HasSubstr("12, 24 or 28 bytes, not 20"));
    EXPECT_EQ(Decode(Rebuilt(good, "STATUS", Bytes(20))).problem, "unknown message type STATUS");
    Bytes infinite(good.begin() + kHeaderSize, good.end());
    infinite[36] = 0x7f, infinite[37] = 0x80, infinite[38] = infinite[39] = 0;
    EXPECT_THAT(Decode(Rebuilt(good, "", infinite)).problem, HasSubstr("pose is not finite"));
    // An image whose header promises more pixels than the body holds, or none along y.
    const Bytes image = IgtlSender::Image("Probe", 4, 3, 2, 1);
    Bytes body(image.begin() + kHeaderSize, image.end() - 1);
    EXPECT_THAT(Decode(Rebuilt(image, "", body)).problem,
                HasSubstr("declares 24 bytes of pixels, the body holds 23"));
    body.push_back(1);
    body[8] = body[9] = 0;
    EXPECT_THAT(Decode(Rebuilt(image, "", body)).problem, HasSubstr("whole, non-empty"));
}

TEST(IgtlStreams, FollowsTheServerThroughSilenceDamageAndRestarts) {
    IgtlSender sender;
    wexlan::igtlink::StreamClient client("127.0.0.1", sender.Port());
    ASSERT_TRUE(sender.Accept(3000));
    ASSERT_TRUE(WaitFor([&] { return client.ConnectionState() == "connected"; }));

    // Poses: only the latest is kept (frames: viewer_modules_tests).
    double pose[16];
    std::copy(kPose, kPose + 16, pose);
    for (int i = 0; i < 200; ++i) {
        pose[3] = i;
        ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
    }
    ASSERT_TRUE(WaitFor(
        [&] { return client.Streams().size() == 1 && client.Streams()[0].sequence == 200; }));
    const auto stylus = client.Streams()[0];
    EXPECT_EQ(stylus.device + " " + stylus.state, "Stylus connected");
    EXPECT_DOUBLE_EQ(stylus.pose[3], 199);
    const auto later = std::chrono::steady_clock::now() + std::chrono::milliseconds(2100);
    EXPECT_EQ(client.Streams(later)[0].state, "no message for 2 s");

    // Messages that cannot be used are skipped on the same connection.
    Bytes damaged = IgtlSender::Transform("Stylus", pose);
    damaged.back() ^= 1;
    ASSERT_TRUE(sender.Send(damaged));
    ASSERT_TRUE(sender.Send(Rebuilt(damaged, "STATUS", {1, 2, 3})));
    ASSERT_TRUE(WaitFor([&] { return client.Problem() == "Stylus: unknown message type STATUS"; }));

    // A huge declared body ends the connection; the client comes back by itself.
    Put64(damaged, 42, std::uint64_t{1} << 40);
    ASSERT_TRUE(sender.Send(damaged));
    ASSERT_TRUE(sender.Accept(3000));
    EXPECT_THAT(client.Problem(), HasSubstr("declares a body of 1099511627776 bytes"));
    pose[3] = 500;
    ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
    ASSERT_TRUE(WaitFor([&] { return client.Streams()[0].pose[3] == 500; }));

    // The server goes away, then comes back on the same port.
    sender.Close();
    ASSERT_TRUE(WaitFor([&] {
        return client.Streams()[0].state ==
               "waiting for 127.0.0.1:" + std::to_string(sender.Port());
    }));
    sender.Reopen();
    ASSERT_TRUE(sender.Accept(3000));
    // A position now: a quarter turn about z.
    igtl::PositionMessage::Pointer position = igtl::PositionMessage::New();
    position->SetDeviceName("Stylus");
    position->SetPosition(1, 2, 3);
    position->SetQuaternion(0.f, 0.f, std::sqrt(0.5f), std::sqrt(0.5f));
    ASSERT_TRUE(sender.Send(IgtlSender::Packed(position)));
    ASSERT_TRUE(WaitFor([&] { return client.Streams()[0].pose[3] == 1; }));
    EXPECT_NEAR(client.Streams()[0].pose[1], -1, 1e-6);
    EXPECT_NEAR(client.Streams()[0].pose[4], 1, 1e-6);
    EXPECT_EQ(client.Streams()[0].state, "connected");
}
