#include "vault/StringCipher.h"

#include "vault/AesEcb.h"
#include "vault/Base64.h"
#include "vault/Cfb8.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::vector<unsigned char> FromHex(std::string_view hex)
{
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::string RandomBytes(std::mt19937& random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

int Base64Value(char c)
{
    const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return static_cast<int>(alphabet.find(c));
}

// NIST SP 800-38A, F.3.9 and F.3.10: CFB8-AES192.
TEST(Cfb8, MatchesPublishedAes192Vectors)
{
    const auto key = FromHex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b");
    const auto ivBytes = FromHex("000102030405060708090a0b0c0d0e0f");
    const auto plain = FromHex("6bc1bee22e409f96e93d7e117393172aae2d");
    const auto cipher = FromHex("cda2521ef0a905ca44cd057cbf0d47a0678a");
    AesBlock iv;
    std::copy(ivBytes.begin(), ivBytes.end(), iv.begin());
    const AesEcb aes(key);

    std::vector<unsigned char> out(plain.size());
    const Cfb8Job encrypt{plain.data(), out.data(), plain.size()};
    Cfb8Encrypt(aes, iv, std::span(&encrypt, 1));
    EXPECT_EQ(out, cipher);

    const Cfb8Job decrypt{cipher.data(), out.data(), cipher.size()};
    Cfb8Decrypt(aes, iv, std::span(&decrypt, 1));
    EXPECT_EQ(out, plain);
}

// CFB-8 as its definition reads: one block cipher call per byte, the register shifted by one.
std::vector<unsigned char> ByteAtATime(const AesEcb& aes, const AesBlock& iv, const std::string& input, bool encrypt)
{
    std::vector<unsigned char> output;
    AesBlock shift = iv;
    for (const char c : input) {
        const auto in = static_cast<unsigned char>(c);
        const unsigned char out = in ^ aes.EncryptBlock(shift)[0];
        output.push_back(out);
        std::rotate(shift.begin(), shift.begin() + 1, shift.end());
        shift.back() = encrypt ? out : in;
    }
    return output;
}

// Both directions work on several values at once in buffers sized to the work, up to a limit;
// values ending before, at and past that limit, and a batch boundary inside a value, must not
// change a byte.
TEST(Cfb8, BatchesOfAnySizeMatchOneByteAtATime)
{
    const std::vector<std::vector<std::size_t>> batches = {
        {0},
        {1},
        {15},
        {16},
        {17},
        {1023},
        {1024},
        {1025},
        {3000},
        {0, 0},
        {1000, 23, 1},
        {1000, 24, 1},
        {1000, 25, 0, 5},
        {700, 700, 700},
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
    };
    const std::vector<unsigned char> key(24, 0x5A);
    const AesEcb aes(key);
    AesBlock iv;
    iv.fill(0xC3);
    std::mt19937 random(11);
    for (const auto& sizes : batches) {
        SCOPED_TRACE(::testing::PrintToString(sizes));
        std::vector<std::string> inputs;
        std::vector<std::vector<unsigned char>> encrypted;
        std::vector<std::vector<unsigned char>> decrypted;
        for (const std::size_t size : sizes) {
            inputs.push_back(RandomBytes(random, size));
            encrypted.emplace_back(size);
            decrypted.emplace_back(size);
        }
        std::vector<Cfb8Job> encrypt;
        std::vector<Cfb8Job> decrypt;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const auto* in = reinterpret_cast<const unsigned char*>(inputs[i].data());
            encrypt.push_back({in, encrypted[i].data(), sizes[i]});
            decrypt.push_back({in, decrypted[i].data(), sizes[i]});
        }
        Cfb8Encrypt(aes, iv, encrypt);
        Cfb8Decrypt(aes, iv, decrypt);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            EXPECT_EQ(encrypted[i], ByteAtATime(aes, iv, inputs[i], true)) << "value " << i;
            EXPECT_EQ(decrypted[i], ByteAtATime(aes, iv, inputs[i], false)) << "value " << i;
        }
    }
}

// Reference lines computed with the OpenSSL command line tools (SHA-1 key, zero-padded to
// AES-192; IV = AES of sixteen 0xFF bytes; CFB-8), Base64 with the group buffer's fill bits.
TEST(StringCipher, ProducesReferenceLines)
{
    struct Case
    {
        std::string key;
        std::string value;
        std::string line;
    };
    const Case cases[] = {
        {"secret", "account_check_line", "3NzcteuYHyu6H4VV610xsqYH"},
        {"secret", "folder_check_line", "2/6hm+E4eFHQn5MtlzpLMc5="},
        {"secret", "hello", "1cq1Zcq="}, // plain Base64 would end "Zco="
        {"", "0", "Tw=="},
        {"secret", "", ""},
    };
    StringCipher cipher;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(cipher.EncipherText(c.key, c.value), c.line);
        EXPECT_EQ(cipher.DecipherText(c.key, c.line), c.value);
    }
}

TEST(StringCipher, ShortFinalGroupsTakeFillBitsFromTheByteThreeBeforeTheEnd)
{
    StringCipher cipher;
    std::mt19937 random(7);
    for (std::size_t n = 1; n <= 40; ++n) {
        SCOPED_TRACE(n);
        const std::string line = cipher.EncipherText("key", RandomBytes(random, n));
        ASSERT_EQ(line.size(), Base64Length(n));
        const std::string ciphertext = *DecodeBase64(line);
        const auto fillSource = n >= 3 ? static_cast<unsigned char>(ciphertext[n - 3]) : 0;
        switch (n % 3) {
        case 1:
            EXPECT_EQ(line.substr(line.size() - 2), "==");
            EXPECT_EQ(Base64Value(line[line.size() - 3]) & 0x0F, fillSource >> 4);
            break;
        case 2:
            EXPECT_EQ(line.substr(line.size() - 1), "=");
            EXPECT_EQ(Base64Value(line[line.size() - 2]) & 0x03, fillSource >> 6);
            break;
        default:
            EXPECT_EQ(line.find('='), std::string::npos);
        }
    }
}

TEST(StringCipher, DecodingIsLenientExceptForTheLength)
{
    StringCipher cipher;
    const std::string line = cipher.EncipherText("key", "some value/with+signs?");
    EXPECT_FALSE(cipher.DecipherText("key", "abcde").has_value());
    EXPECT_FALSE(cipher.DecipherText("key", line + "A").has_value());

    // Any character outside the alphabet counts as "/".
    const auto slash = cipher.DecipherText("key", "ab/d");
    EXPECT_EQ(cipher.DecipherText("key", "ab-d"), slash);
    EXPECT_EQ(cipher.DecipherText("key", "ab_d"), slash);
    EXPECT_EQ(cipher.DecipherText("key", "ab\xC0"
                                         "d"),
              slash);
    // "=" outside the last quartet counts as 63 too.
    EXPECT_EQ(cipher.DecipherText("key", "ab=dAAAA"), cipher.DecipherText("key", "ab/dAAAA"));
}

TEST(StringCipher, KeysAreExactBytes)
{
    StringCipher cipher;
    const std::string value = "account_check_line";
    const std::string line = cipher.EncipherText("Secret", value);
    for (const std::string other : {"secret", "Secret ", " Secret", ""}) {
        SCOPED_TRACE(other);
        EXPECT_NE(cipher.EncipherText(other, value), line);
        const auto wrong = cipher.DecipherText(other, line);
        ASSERT_TRUE(wrong.has_value());
        EXPECT_EQ(wrong->size(), value.size());
        EXPECT_NE(*wrong, value);
    }
    EXPECT_EQ(cipher.EncipherText("Secret", value), line);
}

TEST(StringCipher, AChangedByteChangesItsCiphertextAndAllThatFollow)
{
    StringCipher cipher;
    const std::string a = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string b = a;
    b[10] = 'X';
    const std::string ca = *DecodeBase64(cipher.EncipherText("k", a));
    const std::string cb = *DecodeBase64(cipher.EncipherText("k", b));
    EXPECT_EQ(ca.substr(0, 10), cb.substr(0, 10));
    for (std::size_t i = 10; i < a.size(); ++i) {
        // A byte may match by chance; twenty-six of them in a row cannot.
        if (ca.substr(i) == cb.substr(i)) {
            FAIL() << "ciphertext from byte " << i << " is unchanged";
        }
    }
    EXPECT_NE(ca[10], cb[10]);
}

// The bulk paths interleave many values and split large batches across threads; they must give
// exactly what one value at a time gives.
class StringCipherBulk : public ::testing::TestWithParam<int>
{};

TEST_P(StringCipherBulk, MatchesSingleValues)
{
    std::mt19937 random(42);
    std::vector<std::string> values;
    for (int i = 0; i < GetParam(); ++i) {
        const std::size_t size = i % 50 == 0 ? 0 : random() % (i % 7 == 0 ? 700 : 40);
        values.push_back(RandomBytes(random, size));
    }
    const std::vector<std::string_view> views(values.begin(), values.end());

    StringCipher bulk;
    StringCipher single;
    const std::string joined = bulk.EncipherLines("pw", views, "\r\n");
    std::string expected;
    std::vector<std::string> lines;
    for (const std::string& value : values) {
        lines.push_back(single.EncipherText("pw", value));
        expected += lines.back() + "\r\n";
    }
    ASSERT_EQ(joined, expected);

    lines.push_back("abc"); // undecodable lines stay in place in the result
    const std::vector<std::string_view> lineViews(lines.begin(), lines.end());
    const auto deciphered = bulk.DecipherLines("pw", lineViews);
    ASSERT_EQ(deciphered.size(), lines.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(deciphered[i], values[i]) << "value " << i;
    }
    EXPECT_FALSE(deciphered.back().has_value());
}

// A few hundred values take one thread; tens of thousands (several MiB) are split.
INSTANTIATE_TEST_SUITE_P(Sizes, StringCipherBulk, ::testing::Values(1, 700, 40000));

TEST(StringCipher, SwitchingKeysGivesEachKeysLines)
{
    StringCipher cipher;
    StringCipher fresh;
    const std::string a1 = cipher.EncipherText("a", "value");
    const std::string b1 = cipher.EncipherText("b", "value");
    cipher.Forget();
    EXPECT_EQ(cipher.EncipherText("a", "value"), a1);
    EXPECT_EQ(fresh.EncipherText("b", "value"), b1);
    EXPECT_NE(a1, b1);
}

} // namespace
} // namespace velmora
