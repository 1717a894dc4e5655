// Message channels, destinations, the log file and character encodings.
#include <cstdio>
#include <string>
#include <vector>

#include "support/korva_test.h"

using korva_test::Capture;
using korva_test::EnvTest;
using korva_test::read_file;
using korva_test::TempDir;

namespace {

// Records which destination received a message, in order.
struct Recorder {
  std::vector<std::string>* log;
  std::string name;
};
void record(void* handle, const char* message) {
  auto* r = static_cast<Recorder*>(handle);
  r->log->push_back(r->name + ":" + message);
}

class Channels : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    file_path = dir.file("out.txt");
    file = std::fopen(file_path.c_str(), "w+");
    ASSERT_NE(file, nullptr);
  }
  void TearDown() override {
    EnvTest::TearDown();  // the environment lets go of the file first
    std::fclose(file);
  }
  std::string file_text() {
    std::fflush(file);
    return read_file(file_path);
  }
  TempDir dir;
  std::string file_path;
  FILE* file = nullptr;
};

}  // namespace

TEST_F(Channels, NewEnvironmentPrintsNowhereUntilALogFileIsSet) {
  KRVgettime(env, nullptr);  // an error report with no file destination
  ASSERT_EQ(KRVsetlogfile(env, file), 0);
  EXPECT_EQ(file_text(), "");
  for (int which = 0; which < 4; ++which) KRVmsg(channel(which), "channel %d\n", which);
  KRVgettime(env, nullptr);
  EXPECT_EQ(file_text(),
            "channel 0\nchannel 1\nchannel 2\nchannel 3\n"
            "KORVA Error  1004: Null pointer for required data.\n");
  FILE* recorded = nullptr;
  EXPECT_EQ(KRVgetlogfile(env, &recorded), 0);
  EXPECT_EQ(recorded, file);
}

TEST_F(Channels, ReplacingTheLogFileMovesEveryChannel) {
  ASSERT_EQ(KRVsetlogfile(env, file), 0);
  FILE* second = std::fopen(dir.file("second.txt").c_str(), "w+");
  ASSERT_EQ(KRVsetlogfile(env, second), 0);
  for (int which = 0; which < 4; ++which) KRVmsg(channel(which), "x");
  ASSERT_EQ(KRVsetlogfile(env, nullptr), 0);
  KRVmsg(channel(0), "y");
  std::fclose(second);
  EXPECT_EQ(file_text(), "");
  EXPECT_EQ(read_file(dir.file("second.txt")), "xxxx");
  FILE* recorded = file;
  EXPECT_EQ(KRVgetlogfile(env, &recorded), 0);
  EXPECT_EQ(recorded, nullptr);
  EXPECT_EQ(KRVgetlogfile(env, nullptr), 1004);
}

TEST_F(Channels, NewestDestinationReceivesFirst) {
  std::vector<std::string> log;
  Recorder first{&log, "first"}, second{&log, "second"};
  KRVchannel ch = KRVaddchannel(env);
  ASSERT_EQ(KRVaddfuncdest(env, ch, &first, record), 0);
  ASSERT_EQ(KRVaddfuncdest(env, ch, &second, record), 0);
  EXPECT_EQ(KRVmsg(ch, "hello %d", 7), 7);
  EXPECT_EQ(log, (std::vector<std::string>{"second:hello 7", "first:hello 7"}));
  EXPECT_EQ(KRVdelchannel(env, &ch), 0);
  EXPECT_EQ(ch, nullptr);
}

TEST_F(Channels, FileAddedTwiceReceivesTwiceUntilRemovedOnce) {
  KRVchannel ch = KRVaddchannel(env);
  ASSERT_EQ(KRVaddfpdest(env, ch, file), 0);
  ASSERT_EQ(KRVaddfpdest(env, ch, file), 0);
  KRVmsg(ch, "a");
  ASSERT_EQ(KRVdelfpdest(env, ch, file), 0);
  KRVmsg(ch, "b");
  ASSERT_EQ(KRVdelfpdest(env, ch, file), 0);
  KRVmsg(ch, "c");
  EXPECT_EQ(file_text(), "aab");
  EXPECT_EQ(KRVdelfpdest(env, ch, file), 1052);
  EXPECT_EQ(errors->text(), "KORVA Error  1052: No file pointer found for message routine.\n");
}

TEST_F(Channels, MissingChannelFileOrFunctionIsRefused) {
  KRVchannel ch = KRVaddchannel(env);
  EXPECT_EQ(KRVaddfpdest(env, nullptr, file), 1051);
  EXPECT_EQ(KRVaddfpdest(env, ch, nullptr), 1052);
  EXPECT_EQ(KRVdelfpdest(env, nullptr, file), 1051);
  EXPECT_EQ(KRVaddfuncdest(env, nullptr, nullptr, record), 1051);
  EXPECT_EQ(KRVaddfuncdest(env, ch, nullptr, nullptr), 1053);
  EXPECT_EQ(KRVdelfuncdest(env, nullptr, nullptr, record), 1051);
  EXPECT_EQ(KRVdelfuncdest(env, ch, nullptr, record), 1053);
  EXPECT_EQ(KRVflushchannel(env, nullptr), 1051);
  EXPECT_EQ(KRVdisconnectchannel(env, nullptr), 1051);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1051: No channel pointer supplied to message routine.\n"
            "KORVA Error  1052: No file pointer found for message routine.\n"
            "KORVA Error  1051: No channel pointer supplied to message routine.\n"
            "KORVA Error  1051: No channel pointer supplied to message routine.\n"
            "KORVA Error  1053: No function pointer found for message routine.\n"
            "KORVA Error  1051: No channel pointer supplied to message routine.\n"
            "KORVA Error  1053: No function pointer found for message routine.\n"
            "KORVA Error  1051: No channel pointer supplied to message routine.\n"
            "KORVA Error  1051: No channel pointer supplied to message routine.\n");
}

TEST_F(Channels, FunctionDestinationIsRemovedOnlyWhenHandleAndFunctionMatch) {
  std::vector<std::string> log;
  Recorder r{&log, "r"};
  KRVchannel ch = KRVaddchannel(env);
  ASSERT_EQ(KRVaddfuncdest(env, ch, &r, record), 0);
  EXPECT_EQ(KRVdelfuncdest(env, ch, &log, record), 1053);
  KRVmsg(ch, "still");
  EXPECT_EQ(KRVdelfuncdest(env, ch, &r, record), 0);
  KRVmsg(ch, "gone");
  EXPECT_EQ(log, std::vector<std::string>{"r:still"});
}

TEST_F(Channels, DisconnectKeepsTheChannel) {
  KRVchannel ch = KRVaddchannel(env);
  ASSERT_EQ(KRVaddfpdest(env, ch, file), 0);
  KRVmsg(ch, "one");
  EXPECT_EQ(KRVflushchannel(env, ch), 0);
  EXPECT_EQ(file_text(), "one");
  EXPECT_EQ(KRVdisconnectchannel(env, ch), 0);
  KRVmsg(ch, "two");
  ASSERT_EQ(KRVaddfpdest(env, ch, file), 0);
  KRVmsg(ch, "three");
  EXPECT_EQ(file_text(), "onethree");
}

TEST_F(Channels, DeletingChannels) {
  KRVchannel none = nullptr;
  EXPECT_EQ(KRVdelchannel(env, &none), 0);
  EXPECT_EQ(KRVdelchannel(env, nullptr), 0);
  KRVchannel results = channel(0);
  EXPECT_EQ(KRVdelchannel(env, &results), 1003);  // the environment's own
  EXPECT_EQ(results, channel(0));
  int status = 0;
  KRVenv other = KRVopenKORVA(&status);
  KRVchannel foreign = KRVaddchannel(other);
  EXPECT_EQ(KRVdelchannel(env, &foreign), 1003);
  EXPECT_EQ(KRVdelchannel(other, &foreign), 0);
  KRVcloseKORVA(&other);
  EXPECT_EQ(KRVaddchannel(nullptr), nullptr);
}

TEST_F(Channels, MessageOfAnyLengthWithMsgstr) {
  KRVchannel ch = KRVaddchannel(env);
  Capture capture(env, ch);
  const std::string long_text(5000, 'x');
  EXPECT_EQ(KRVmsgstr(ch, long_text.c_str()), 5000);
  EXPECT_EQ(capture.text(), long_text);
}

TEST_F(Channels, FormattedMessageIsCutAt1023Bytes) {
  KRVchannel ch = KRVaddchannel(env);
  Capture capture(env, ch);
  const std::string long_text(3000, 'y');
  EXPECT_EQ(KRVmsg(ch, "%s", long_text.c_str()), 1023);
  EXPECT_EQ(capture.text(), std::string(1023, 'y'));
}

TEST_F(Channels, ScreenIndicatorAddsStandardOutputOnce) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
  testing::internal::CaptureStdout();
  KRVmsg(channel(0), "results\n");
  KRVmsg(channel(1), "warning\n");
  KRVmsg(channel(3), "log\n");
  KRVgettime(env, nullptr);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "results\nwarning\nKORVA Error  1004: Null pointer for required data.\n");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 0), 0);
  testing::internal::CaptureStdout();
  KRVmsg(channel(0), "quiet\n");
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// -------------------------------------------------------------------------
// Encodings

TEST_F(Channels, FunctionDestinationGetsTheInterfaceEncoding) {
  KRVchannel ch = KRVaddchannel(env);
  Capture latin1(env, ch);
  EXPECT_EQ(KRVmsg(ch, "caf\xe9"), 4);
  EXPECT_EQ(latin1.text(), "caf\xe9");
}

TEST_F(Channels, FunctionDestinationInUtf8ThroughHiddenParameter1134) {
  ASSERT_EQ(KRVsetstrparam(env, 1134, "UTF-8"), 0);
  KRVchannel ch = KRVaddchannel(env);
  Capture utf8(env, ch);
  KRVmsg(ch, "caf\xe9");
  EXPECT_EQ(utf8.text(), "caf\xc3\xa9");
}

TEST_F(Channels, FunctionDestinationInUtf8ThroughTheInterfaceEncoding) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  KRVchannel ch = KRVaddchannel(env);
  Capture utf8(env, ch);
  EXPECT_EQ(KRVmsg(ch, "caf\xc3\xa9"), 5);
  EXPECT_EQ(utf8.text(), "caf\xc3\xa9");
}

TEST_F(Channels, TextInvalidInTheInterfaceEncodingIsNotWritten) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  KRVchannel ch = KRVaddchannel(env);
  Capture capture(env, ch);
  EXPECT_EQ(KRVmsg(ch, "bad \xa9 byte"), -1);
  EXPECT_EQ(KRVmsgstr(ch, "\xff"), -1);
  EXPECT_EQ(capture.text(), "");
}

TEST_F(Channels, LogFileInUtf8ReceivesTheInternalText) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_FILEENCODING, "UTF-8"), 0);
  ASSERT_EQ(KRVsetlogfile(env, file), 0);
  KRVmsg(channel(0), "na\xefve\n");
  EXPECT_EQ(file_text(), "na\xc3\xafve\n");
}

TEST_F(Channels, LogFileInLatin1ByDefault) {
  ASSERT_EQ(KRVsetlogfile(env, file), 0);
  KRVmsg(channel(0), "na\xefve\n");
  EXPECT_EQ(file_text(), "na\xefve\n");
}

TEST_F(Channels, WideFileEncodingIsWritten) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_FILEENCODING, "UTF-16LE"), 0);
  KRVchannel ch = KRVaddchannel(env);
  ASSERT_EQ(KRVaddfpdest(env, ch, file), 0);
  KRVmsg(ch, "ok");
  EXPECT_EQ(file_text(), std::string("o\0k\0", 4));
}

TEST_F(Channels, UnknownEncodingLeavesTheDestinationWritingUtf8) {
  ASSERT_EQ(KRVsetstrparam(env, 1134, "no-such-encoding"), 0);
  KRVchannel ch = KRVaddchannel(env);
  std::string received;
  auto receive = [](void* handle, const char* m) { *static_cast<std::string*>(handle) += m; };
  EXPECT_EQ(KRVaddfuncdest(env, ch, &received, receive), 1235);
  EXPECT_EQ(errors->text(), "KORVA Error  1235: Failed to convert string encoding.\n");
  KRVmsg(ch, "caf\xe9");
  EXPECT_EQ(received, "caf\xc3\xa9");
  EXPECT_EQ(KRVdelfuncdest(env, ch, &received, receive), 0);
}
