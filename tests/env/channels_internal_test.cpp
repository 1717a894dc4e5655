// The internal message routine: UTF-8 normalisation and its length.
#include <string>

#include "env/channel.h"
#include "env/environment.h"
#include "support/korva_test.h"

using korva_test::Capture;
using korva_test::EnvTest;

namespace {

class InternalMessages : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    ASSERT_EQ(KRVsetstrparam(env, 1134, "UTF-8"), 0);
    ch = KRVaddchannel(env);
    capture = std::make_unique<Capture>(env, ch);
  }
  void TearDown() override {
    capture.reset();
    EnvTest::TearDown();
  }
  KRVchannel ch = nullptr;
  std::unique_ptr<Capture> capture;
};

}  // namespace

TEST_F(InternalMessages, IsolatedNonUtf8ByteIsDropped) {
  EXPECT_EQ(korva::msg(ch, "(c) \xa9 2024"), 9);
  EXPECT_EQ(capture->text(), "(c)  2024");
}

TEST_F(InternalMessages, WellFormedSequencesPass) {
  const std::string text = "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xef\xbb\xbf";
  EXPECT_EQ(korva::msg(ch, "%s", text.c_str()), static_cast<int>(text.size()));
  EXPECT_EQ(capture->text(), text);
}

TEST_F(InternalMessages, BrokenSequencesAreDropped) {
  // Overlong form, stray continuation bytes, a lead byte without its
  // continuation, bytes that never start a sequence.
  korva::msg(ch, "a\xc0\x80" "b\x80\xbf" "c\xe2" "d\xfe\xff" "e");
  EXPECT_EQ(capture->text(), "abcde");
}

TEST_F(InternalMessages, NullChannelPrintsNothing) {
  EXPECT_EQ(korva::msg(nullptr, "nothing"), 0);
}

TEST_F(InternalMessages, LengthCountsTheNormalisedText) {
  KRVchannel silent = KRVaddchannel(env);
  EXPECT_EQ(korva::msg(silent, "x\xa9y"), 2);
  EXPECT_EQ(korva::msg(silent, "plain"), 5);
}

TEST_F(InternalMessages, LongMessagesStopAt2047Bytes) {
  const std::string long_text(5000, 'z');
  EXPECT_EQ(korva::msg(ch, "%s", long_text.c_str()), 2047);
  EXPECT_EQ(korva::msg_text(ch, long_text), 5000);
}
