// Named error codes for the codes the library raises from many places.
// The texts live in error_table.cpp; codes used in one place only may be
// written as numbers there with the text in a comment.
#pragma once

namespace korva::err {

inline constexpr int kNoMemory = 1001;
inline constexpr int kNoEnvironment = 1002;
inline constexpr int kBadArgument = 1003;
inline constexpr int kNullPointer = 1004;
inline constexpr int kCallbackError = 1006;
inline constexpr int kNoProblem = 1009;
inline constexpr int kBadParamNumber = 1013;
inline constexpr int kParamTooSmall = 1014;
inline constexpr int kParamTooBig = 1015;
inline constexpr int kNotForMip = 1017;
inline constexpr int kNotForQp = 1018;
inline constexpr int kCloneOfClone = 1019;
inline constexpr int kThreadLimit = 1020;
inline constexpr int kCloseChild = 1021;
inline constexpr int kBadProblemType = 1022;
inline constexpr int kNotSingleProblem = 1023;
inline constexpr int kNotMilp = 1024;
inline constexpr int kStringParamTooLong = 1026;
inline constexpr int kBadParamName = 1028;
inline constexpr int kNotMiqp = 1029;
inline constexpr int kNotForQcp = 1031;
inline constexpr int kNoChannel = 1051;
inline constexpr int kNoFileDest = 1052;
inline constexpr int kNoFuncDest = 1053;
inline constexpr int kCrushForm = 1121;
inline constexpr int kIndexRange = 1200;
inline constexpr int kColIndexRange = 1201;
inline constexpr int kRowIndexRange = 1203;
inline constexpr int kBeginTooSmall = 1205;
inline constexpr int kEndTooBig = 1206;
inline constexpr int kArrayTooShort = 1207;
inline constexpr int kNameNotFound = 1210;
inline constexpr int kRhsObjCoef = 1211;
inline constexpr int kBadSense = 1215;
inline constexpr int kNoRangeValues = 1216;
inline constexpr int kNoSolution = 1217;
inline constexpr int kNoNames = 1219;
inline constexpr int kDuplicateEntry = 1222;
inline constexpr int kNullName = 1224;
inline constexpr int kNotANumber = 1225;
inline constexpr int kNotAscending = 1226;
inline constexpr int kBadCount = 1227;
inline constexpr int kOverlappingEntries = 1228;
inline constexpr int kBadBoundIndicator = 1229;
inline constexpr int kNoDualSolution = 1232;
inline constexpr int kNumberTooLarge = 1233;
inline constexpr int kEncoding = 1235;
inline constexpr int kBadBasisStatus = 1253;
inline constexpr int kBasisSingular = 1256;
inline constexpr int kNoFactor = 1258;
inline constexpr int kNoBasis = 1262;
inline constexpr int kBadMethod = 1292;
inline constexpr int kNoFileName = 1421;
inline constexpr int kCannotWrite = 1422;
inline constexpr int kCannotRead = 1423;
inline constexpr int kBadFileType = 1424;
inline constexpr int kIoError = 1426;
inline constexpr int kBadNumber = 1434;
inline constexpr int kPrmNotEnoughEntries = 1660;
inline constexpr int kPrmBadHeader = 1661;
inline constexpr int kInfoCallback = 1804;
inline constexpr int kForeignProblem = 1806;
inline constexpr int kIncompatibleParams = 1807;
inline constexpr int kSyncPrimitive = 1809;
inline constexpr int kInt32Overflow = 1810;
inline constexpr int kNotMip = 3003;
inline constexpr int kNotMiqcp = 9019;
inline constexpr int kTaskSignalled = 9034;
inline constexpr int kBadThreadCount = 9031;

}  // namespace korva::err
