#include "core/vault/StringCipher.h"

#include "core/vault/AesEcb.h"
#include "core/vault/AesNi.h"
#include "core/vault/Base64.h"
#include "core/vault/Cfb8.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
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

// The ciphers run on the processor's AES instructions where it has them, else on the library;
// every byte-identity test runs on each path. Decryption and Base64 decoding have wide paths where
// the processor has the 512-bit instructions; Narrow forces the 128-bit ones there.
enum class Path
{
    Portable,
    Native,
    Narrow,
};

std::string PathName(Path path)
{
    return path == Path::Portable ? "Portable" : path == Path::Native ? "Native" : "Narrow";
}

void PrintTo(Path path, std::ostream* out)
{
    *out << PathName(path);
}

void UsePath(Path path)
{
    if (path != Path::Portable && !CpuHasAesNi()) {
        GTEST_SKIP() << "this processor has no AES instructions";
    }
    ForcePortableAes(path == Path::Portable);
    ForceNarrowAes(path == Path::Narrow);
    ForceNarrowBase64(path == Path::Narrow);
}

void UseDefaultPath()
{
    ForcePortableAes(false);
    ForceNarrowAes(false);
    ForceNarrowBase64(false);
}

class OnEveryPath : public ::testing::TestWithParam<Path>
{
protected:
    void SetUp() override { UsePath(GetParam()); }
    void TearDown() override { UseDefaultPath(); }
};

int Base64Value(char c)
{
    const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return static_cast<int>(alphabet.find(c));
}

// FIPS-197 C.2 and random blocks under random keys: the round keys expanded for the AES
// instructions must encipher as the library does.
TEST(AesNi, KeyScheduleEnciphersAsTheLibrary)
{
    if (!CpuHasAesNi()) {
        GTEST_SKIP() << "this processor has no AES instructions";
    }
    const auto key = FromHex("000102030405060708090a0b0c0d0e0f1011121314151617");
    const auto plain = FromHex("00112233445566778899aabbccddeeff");
    std::vector<unsigned char> out(16);
    Aes192RoundKeys keys;
    ExpandAes192Key(std::span<const unsigned char, 24>(key.data(), 24), keys);
    AesNiEncryptBlocks(keys, plain.data(), out.data(), 1);
    EXPECT_EQ(out, FromHex("dda97ca4864cdfe06eaf70a0ec0d7191"));

    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        const std::string keyBytes = RandomBytes(random, 24);
        const std::string blocks = RandomBytes(random, 4 * 16);
        const std::span<const unsigned char, 24> keySpan(reinterpret_cast<const unsigned char*>(keyBytes.data()), 24);
        const auto* in = reinterpret_cast<const unsigned char*>(blocks.data());
        std::vector<unsigned char> native(blocks.size());
        std::vector<unsigned char> library(blocks.size());
        ExpandAes192Key(keySpan, keys);
        AesNiEncryptBlocks(keys, in, native.data(), 4);
        AesEcb(keySpan).EncryptBlocks(in, library.data(), 4);
        EXPECT_EQ(native, library) << "round " << round;
    }
}

// NIST SP 800-38A, F.3.9 and F.3.10: CFB8-AES192.
TEST_P(OnEveryPath, MatchesPublishedAes192Vectors)
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

// Both directions work on several values at once: the library path in buffers sized to the work,
// up to a limit; the native paths eight values side by side (the wide encryption 32), 16 bytes at a
// time, grouped by size; the wide decryption on values laid out one after another in a buffer of
// 16 KB, 64 bytes at a time.
// Values ending before, at and past those limits, a batch boundary inside a value, a value longer
// than the buffer, and groups whose values end at different steps must not change a byte, nor
// must enciphering in place.
TEST_P(OnEveryPath, BatchesOfAnySizeMatchOneByteAtATime)
{
    std::vector<std::vector<std::size_t>> batches = {
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
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
        {5, 40, 5, 40, 5, 40, 5, 40, 0, 33},
        {255, 256, 257, 300, 1, 16, 31, 32, 33, 600, 299},
        {16000, 400, 20000, 3, 16368, 16369, 63, 64, 65},
    };
    // More values than the native path sorts by size at a time.
    std::vector<std::size_t> many;
    for (std::size_t i = 0; i < 5000; ++i) {
        many.push_back(i * 7 % 41);
    }
    batches.push_back(many);
    const std::vector<unsigned char> key(24, 0x5A);
    const AesEcb aes(key);
    EXPECT_EQ(aes.NativeRoundKeys() != nullptr && AesNiInUse(), GetParam() != Path::Portable);
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

        std::vector<Cfb8Job> inPlace;
        for (std::string& input : inputs) {
            auto* bytes = reinterpret_cast<unsigned char*>(input.data());
            inPlace.push_back({bytes, bytes, input.size()});
        }
        Cfb8Encrypt(aes, iv, inPlace);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            EXPECT_EQ(std::vector<unsigned char>(inputs[i].begin(), inputs[i].end()), encrypted[i])
                << "value " << i << " enciphered in place";
        }
    }
}

// Reference lines computed with the OpenSSL command line tools (SHA-1 key, zero-padded to
// AES-192; IV = AES of sixteen 0xFF bytes; CFB-8), Base64 with the group buffer's fill bits.
TEST_P(OnEveryPath, ProducesReferenceLines)
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

// Decoding by the rule itself: six bits a character, 63 for one outside the alphabet, and "=" in
// the last quartet ending the bytes.
std::string DecodedByRule(const std::string& text)
{
    std::string bytes;
    for (std::size_t q = 0; q < text.size(); q += 4) {
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int value = Base64Value(text[q + i]);
            bits = bits << 6 | static_cast<std::uint32_t>(value < 0 ? 63 : value);
        }
        const bool lastQuartet = q + 4 == text.size();
        const std::size_t produced = !lastQuartet ? 3 : text[q + 2] == '=' ? 1 : text[q + 3] == '=' ? 2 : 3;
        for (std::size_t i = 0; i < produced; ++i) {
            bytes.push_back(static_cast<char>(bits >> (16 - 8 * i)));
        }
    }
    return bytes;
}

// Lines of every length up to several 16-character chunks, as written and with a character outside
// the alphabet in each place: the bytes are the rule's, and a line counts as canonical exactly
// when encoding its bytes gives it back.
void DecodeEveryLengthAndStrayCharacter()
{
    std::mt19937 random(11);
    for (std::size_t size = 0; size <= 80; ++size) {
        std::string line(Base64Length(size), ' ');
        EncodeBase64(RandomBytes(random, size), line.data());
        std::vector<std::string> texts{line};
        for (std::size_t at = 0; at < line.size(); ++at) {
            for (const char stray : {'=', '-', ' ', '\0', '@', '[', '`', '{', ':', '\x7F', '\xC0', '\xFF'}) {
                texts.push_back(line);
                texts.back()[at] = stray;
            }
        }
        for (const std::string& text : texts) {
            const auto length = DecodedBase64Length(text);
            ASSERT_TRUE(length.has_value()) << text;
            std::string decoded(*length, '\0');
            const bool canonical = DecodeBase64Into(text, decoded.data());
            ASSERT_EQ(decoded, DecodedByRule(text)) << text;
            std::string again(Base64Length(decoded.size()), ' ');
            EncodeBase64(decoded, again.data());
            ASSERT_EQ(canonical, again == text) << text;
        }
    }
}

// On the 512-bit path (where the processor has it) and on the 128-bit one.
TEST(Base64, DecodesEveryLengthAndStrayCharacterAsTheRuleSays)
{
    for (const bool narrow : {false, true}) {
        SCOPED_TRACE(narrow ? "narrow" : "wide");
        ForceNarrowBase64(narrow);
        DecodeEveryLengthAndStrayCharacter();
    }
    ForceNarrowBase64(false);
}

// Pieces of every length up to several 48-byte steps, one after another in one buffer: each line
// is what encoding the piece alone gives, on the 512-bit path and on the 128-bit one, and the
// fill bits of a short group come from its own piece only.
TEST(Base64, EncodesLinesOfConsecutivePiecesAsEachAlone)
{
    std::mt19937 random(13);
    std::vector<std::uint32_t> ends;
    std::string bytes;
    for (std::size_t size = 0; size <= 100; ++size) {
        bytes += RandomBytes(random, size % 2 == 0 ? size : 100 - size);
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    ForceNarrowBase64(true);
    std::string expected;
    std::uint32_t begin = 0;
    for (const std::uint32_t end : ends) {
        std::string line(Base64Length(end - begin), ' ');
        EncodeBase64(std::string_view(bytes).substr(begin, end - begin), line.data());
        expected += line + "\r\n";
        begin = end;
    }
    for (const bool narrow : {false, true}) {
        SCOPED_TRACE(narrow ? "narrow" : "wide");
        ForceNarrowBase64(narrow);
        std::string lines(expected.size(), ' ');
        const char* const end = EncodeBase64Lines(bytes.data(), ends, "\r\n", lines.data());
        EXPECT_EQ(end, lines.data() + lines.size());
        EXPECT_EQ(lines, expected);
    }
    ForceNarrowBase64(false);
}

// A reader cut short (a damaged file, a limit reached) must not leave a value holding whatever
// its memory held before.
TEST(StringCipher, ValuesNeverDecipheredAreCleared)
{
    StringCipher cipher;
    const std::string line = cipher.EncipherText("key", "a secret value");
    std::string value(14, 'x');
    {
        StringCipher::LineDecipherer decipherer(cipher, "key");
        EXPECT_TRUE(decipherer.Add(line, value.data()));
    }
    EXPECT_EQ(value, std::string(14, '\0'));
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

// The bulk paths interleave many values in an order of their own; they must give exactly what one
// value at a time gives.
class StringCipherBulk : public ::testing::TestWithParam<std::tuple<Path, int>>
{
protected:
    void SetUp() override { UsePath(std::get<0>(GetParam())); }
    void TearDown() override { UseDefaultPath(); }
};

TEST_P(StringCipherBulk, MatchesSingleValues)
{
    std::mt19937 random(42);
    std::vector<std::string> values;
    for (int i = 0; i < std::get<1>(GetParam()); ++i) {
        // Now and then a value longer than the bulk paths take at a time.
        const std::size_t size = i % 50 == 0 ? 0 : i % 331 == 1 ? 70000 : random() % (i % 7 == 0 ? 700 : 40);
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

INSTANTIATE_TEST_SUITE_P(Sizes, StringCipherBulk,
                         ::testing::Combine(::testing::Values(Path::Portable, Path::Native, Path::Narrow),
                                            ::testing::Values(1, 700, 40000)),
                         [](const auto& info) {
                             return PathName(std::get<0>(info.param)) + std::to_string(std::get<1>(info.param));
                         });

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

INSTANTIATE_TEST_SUITE_P(Paths, OnEveryPath, ::testing::Values(Path::Portable, Path::Native, Path::Narrow),
                         [](const auto& info) { return PathName(info.param); });

} // namespace
} // namespace velmora
