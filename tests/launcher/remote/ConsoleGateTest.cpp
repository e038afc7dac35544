// Who gets through to the console: the allow-list, the password of any user name, and the
// lock-out of an address that guesses, on a clock the test moves.
#include <gtest/gtest.h>

#include "launcher/remote/http/ConsoleGate.h"

namespace remote {
namespace {

using Verdict = ConsoleGate::Verdict;

const uint32_t kDesk = 0xC0A80A05;    // 192.168.10.5
const uint32_t kOther = 0xC0A80A06;   // 192.168.10.6
const uint32_t kOutside = 0x0A000001; // 10.0.0.1

std::string Basic(const std::string& base64) { return "Basic " + base64; }

class Gate : public ::testing::Test {
protected:
    Gate()
    {
        std::wstring problem;
        allow_.Parse(L"192.168.10.0/24", problem);
    }
    AllowList allow_;
    ConsoleGate gate_{allow_, "secret"};
};

TEST_F(Gate, LetsThroughOnlyTheRightPasswordOfAnyUserFromAnAllowedAddress)
{
    const struct {
        uint32_t address;
        std::string authorization;
        Verdict verdict;
    } cases[] = {
        {kDesk, Basic("YW55OnNlY3JldA=="), Verdict::Pass},            // any:secret
        {kDesk, "basic   OnNlY3JldA==  ", Verdict::Pass},             // :secret, scheme in any case
        {kDesk, "", Verdict::NoPassword},
        {kDesk, Basic("c2VjcmV0"), Verdict::WrongPassword},           // secret, without a user
        {kDesk, Basic("YW55OnNlY3Jl"), Verdict::WrongPassword},       // any:secre
        {kDesk, Basic("YW55OnNlY3JldHg="), Verdict::WrongPassword},   // any:secretx
        {kDesk, Basic("YW55OnNlY3JldA"), Verdict::WrongPassword},     // padding missing
        {kDesk, Basic("!!!!"), Verdict::WrongPassword},
        {kDesk, "Bearer YW55OnNlY3JldA==", Verdict::WrongPassword},
        {kDesk, Basic(std::string(2000, 'A')), Verdict::WrongPassword},
        {kOutside, Basic("YW55OnNlY3JldA=="), Verdict::NotAllowed},
    };
    ULONGLONG now = 0;
    for (const auto& c : cases) {
        // Far apart, so that the wrong ones never add up to a lock-out here.
        now += 3600000;
        EXPECT_EQ(c.verdict, gate_.Check(c.address, c.authorization, now).verdict) << c.authorization;
    }
}

TEST_F(Gate, FiveWrongPasswordsWithinAMinuteShutTheAddressOutForAMinute)
{
    const std::string wrong = Basic("YTpiYWQ=");   // a:bad
    const std::string right = Basic("YTpzZWNyZXQ=");  // a:secret
    // Four wrong ones, then the right one: forgiven, the count starts again.
    for (ULONGLONG at : {0, 1000, 2000, 3000}) EXPECT_EQ(Verdict::WrongPassword, gate_.Check(kDesk, wrong, at).verdict);
    EXPECT_EQ(Verdict::Pass, gate_.Check(kDesk, right, 4000).verdict);
    // Five spread over more than a minute shut nothing out.
    for (ULONGLONG at : {10000, 30000, 50000, 70000, 71000})
        EXPECT_FALSE(gate_.Check(kDesk, wrong, at).shutOutNow) << at;
    // The fifth within a minute does: even the right password waits, other addresses do not.
    ConsoleGate::Decision fifth = gate_.Check(kDesk, wrong, 80000);
    EXPECT_TRUE(fifth.shutOutNow);
    ConsoleGate::Decision locked = gate_.Check(kDesk, right, 80001);
    EXPECT_EQ(Verdict::ShutOut, locked.verdict);
    EXPECT_EQ(59999u, locked.retryAfterMs);
    EXPECT_EQ(Verdict::Pass, gate_.Check(kOther, right, 80001).verdict);
    EXPECT_EQ(Verdict::ShutOut, gate_.Check(kDesk, right, 139999).verdict);
    EXPECT_EQ(Verdict::Pass, gate_.Check(kDesk, right, 140000).verdict);
}

}  // namespace
}  // namespace remote
