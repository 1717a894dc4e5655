// Choosing the format and opening files in KRVreadcopyprob and
// KRVwriteprob: type strings, extensions, content, compression, errors.
#include "io/lp_test_support.h"

namespace korva_test {
namespace {

using FileDispatch = LpFileTest;

const char* const kLp = "Minimize\n obj: x + y\nSubject To\n c1: x + y >= 1\nEnd\n";

TEST_F(FileDispatch, TypeStringIsAPrefixTestIgnoringCase) {
  for (const char* type : {"LP", "lp", "Lp", "LPX"}) {
    EXPECT_EQ(read_text(kLp, "model.txt", type), 0) << type;
    EXPECT_EQ(KRVgetnumrows(env, lp), 1);
  }
  EXPECT_EQ(read_text(kLp, "model.txt", "L"), 1424);
  EXPECT_EQ(errors->text(), "KORVA Error  1424: Invalid filetype.\n");
}

TEST_F(FileDispatch, CompressedNamesAreDecompressed) {
  write_file(path("plain.lp"), kLp);
  for (const char* name : {"model.lp.gz", "model.LP.GZ"}) {
    ASSERT_EQ(std::system(("gzip -c " + path("plain.lp") + " > " + path(name)).c_str()), 0);
    EXPECT_EQ(KRVreadcopyprob(env, lp, path(name).c_str(), nullptr), 0) << name;
    EXPECT_EQ(KRVgetnumcols(env, lp), 2);
  }
  ASSERT_EQ(std::system(("bzip2 -c " + path("plain.lp") + " > " + path("m.lp.bz2")).c_str()), 0);
  EXPECT_EQ(KRVreadcopyprob(env, lp, path("m.lp.bz2").c_str(), nullptr), 0);
}

TEST_F(FileDispatch, LowerCaseZIsLpButNotDecompressed) {
  write_file(path("plain.lp"), kLp);
  ASSERT_EQ(std::system(("gzip -c " + path("plain.lp") + " > " + path("m.lp.z")).c_str()), 0);
  // Read as an LP file, so the compressed bytes do not make a model.
  EXPECT_NE(KRVreadcopyprob(env, lp, path("m.lp.z").c_str(), nullptr), 0);
}

TEST_F(FileDispatch, MissingCompressedFile) {
  const std::string name = path("none.lp.gz");
  EXPECT_EQ(KRVreadcopyprob(env, lp, name.c_str(), nullptr), 1423);
  EXPECT_EQ(errors->text(), "KORVA Error  1423: Could not open file '" + name + "' for reading.\n");
}

TEST_F(FileDispatch, DefaultExtensionIsTriedForLpFiles) {
  write_file(path("model.lp"), kLp);
  EXPECT_EQ(KRVreadcopyprob(env, lp, path("model").c_str(), "LP"), 0);
  errors->clear();
  const std::string missing = path("missing");
  EXPECT_EQ(KRVreadcopyprob(env, lp, missing.c_str(), "LP"), 1423);
  EXPECT_EQ(errors->text(), "KORVA Error  1423: Could not open file '" + missing +
                                "' for reading.\nKORVA Error  1423: Could not open file '" +
                                missing + ".lp' for reading.\n");
}

TEST_F(FileDispatch, SniffingDoesNotAddTextExtensions) {
  write_file(path("model.mps"), "NAME x\nROWS\n N obj\nCOLUMNS\nRHS\nENDATA\n");
  const std::string name = path("model");
  EXPECT_EQ(KRVreadcopyprob(env, lp, name.c_str(), nullptr), 1423);
  EXPECT_NE(errors->text().find("Could not open file '" + name + "' for reading"),
            std::string::npos);
}

TEST_F(FileDispatch, ContentDecidesForUnknownExtensions) {
  EXPECT_EQ(read_text("\\ comment first\nMinimize\n x\nEnd\n", "a.dat"), 0);
  EXPECT_EQ(read_text("Minimize\n x\nEnd\n", "b.dat"), 0);
  EXPECT_EQ(read_text("maximize\n x\nEnd\n", "c.dat"), 0);
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
  errors->clear();
  EXPECT_EQ(read_text("", "empty.dat"), 1424);
  EXPECT_EQ(errors->text(), "KORVA Error  1424: Invalid filetype.\n");
  EXPECT_EQ(read_text("ROWS\n", "rows.dat"), 1424);
}

TEST_F(FileDispatch, NameStartIsMps) {
  // Whether the MPS reader accepts this minimal model is its business; the
  // format chosen must not be LP (which would fail with 1436).
  const int status = read_text("NAME test\nROWS\n N obj\nCOLUMNS\n x obj 1\nRHS\nENDATA\n", "m.dat");
  EXPECT_NE(status, 1436);
  EXPECT_NE(status, 1424);
}

TEST_F(FileDispatch, NullNames) {
  EXPECT_EQ(KRVreadcopyprob(env, lp, nullptr, nullptr), 1004);
  EXPECT_EQ(KRVwriteprob(env, lp, nullptr, nullptr), 1421);
  EXPECT_EQ(KRVreadcopyprob(env, nullptr, path("x.lp").c_str(), nullptr), 1009);
}

TEST_F(FileDispatch, WriteTypeFromNameOrString) {
  ASSERT_EQ(read_text(kLp), 0);
  EXPECT_EQ(KRVwriteprob(env, lp, path("out.bz2").c_str(), nullptr), 1424);
  EXPECT_EQ(KRVwriteprob(env, lp, path("noext").c_str(), nullptr), 1424);
  EXPECT_EQ(KRVwriteprob(env, lp, path("x.lp").c_str(), "SAVE"), 1424);
  EXPECT_EQ(KRVwriteprob(env, lp, path("x.lp").c_str(), "XYZ"), 1424);
  EXPECT_EQ(KRVwriteprob(env, lp, path("x.txt").c_str(), "lp"), 0);
  EXPECT_NE(read_file(path("x.txt")).find("Minimize"), std::string::npos);
  EXPECT_EQ(KRVwriteprob(env, lp, path("y.rlp").c_str(), nullptr), 0);
  EXPECT_NE(read_file(path("y.rlp")).find(" obj: x1 + x2"), std::string::npos);
  // The compression suffix stays in the name; the extension before it counts.
  EXPECT_EQ(KRVwriteprob(env, lp, path("z.lp.gz").c_str(), nullptr), 0);
  EXPECT_EQ(std::system(("gzip -t " + path("z.lp.gz")).c_str()), 0);
}

TEST_F(FileDispatch, WritesMpsThroughBzip2) {
  ASSERT_EQ(read_text(kLp), 0);
  const int status = KRVwriteprob(env, lp, path("out.mps.bz2").c_str(), nullptr);
  if (status == 1424) GTEST_SKIP() << "no MPS writer in this build";
  ASSERT_EQ(status, 0);
  EXPECT_EQ(std::system(("bzip2 -t " + path("out.mps.bz2")).c_str()), 0);
}

TEST_F(FileDispatch, NetworkFilesGoToTheNetworkReaderAndSavIsChecked) {
  write_file(path("m.sav"), "x");
  EXPECT_EQ(KRVreadcopyprob(env, lp, path("m.sav").c_str(), nullptr), 1560);
  write_file(path("m.net"), "x");
  EXPECT_EQ(KRVreadcopyprob(env, lp, path("m.net").c_str(), nullptr), 1530);
  EXPECT_EQ(KRVwriteprob(env, lp, path("m.sav").c_str(), nullptr), 0);
  EXPECT_EQ(KRVreadcopyprob(env, lp, path("m.sav").c_str(), nullptr), 0);
}

// Parameter files go through the same stream: compressed by their name and
// written in UTF-8 whatever the file encoding parameter says.
TEST_F(FileDispatch, ParameterFilesUseTheStream) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ITLIM, 1234), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "caf\xc3\xa9"), 0);
  const std::string name = path("p.prm.gz");
  ASSERT_EQ(KRVwriteparam(env, name.c_str()), 0) << errors->text();
  const std::string packed = read_file(name);
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1f);  // gzip's magic bytes
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8b);
  ASSERT_EQ(std::system(("gzip -cd " + name + " > " + path("p.prm")).c_str()), 0);
  EXPECT_NE(read_file(path("p.prm")).find("\"caf\xc3\xa9\""), std::string::npos);
  ASSERT_EQ(KRVsetdefaults(env), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  // The default extension is tried as for model files.
  ASSERT_EQ(KRVreadcopyparam(env, path("p").c_str()), 0) << errors->text();
  int itlim = 0;
  KRVgetintparam(env, KRV_PARAM_ITLIM, &itlim);
  EXPECT_EQ(itlim, 1234);
  char value[64] = {};
  KRVgetstrparam(env, KRV_PARAM_WORKDIR, value);
  EXPECT_STREQ(value, "caf\xc3\xa9");
}

}  // namespace
}  // namespace korva_test
