// Error codes the MPS reader and writers report (texts in the library's
// error table).
#pragma once

namespace korva::mps::code {

inline constexpr int kNoMemory = 1001;
inline constexpr int kSizeLimits = 1012;
inline constexpr int kMipNotAvailable = 1017;
inline constexpr int kQpNotAvailable = 1018;
inline constexpr int kQcpNotAvailable = 1031;
inline constexpr int kIoError = 1426;
inline constexpr int kBadNumber = 1434;
inline constexpr int kQuadSense = 1437;
inline constexpr int kBadCutRow = 1438;
inline constexpr int kBadIndicator = 1439;
inline constexpr int kNoName = 1441;
inline constexpr int kBadSosType = 1442;
inline constexpr int kColumnRepeatsRow = 1443;
inline constexpr int kSetRepeatsRow = 1444;
inline constexpr int kRowRepeats = 1445;
inline constexpr int kColumnRepeats = 1446;
inline constexpr int kLineRepeats = 1447;
inline constexpr int kNotRow = 1448;
inline constexpr int kNotColumn = 1449;
inline constexpr int kNoRowSense = 1453;
inline constexpr int kFxAfterBound = 1454;
inline constexpr int kFrAfterBound = 1455;
inline constexpr int kBvAfterBound = 1456;
inline constexpr int kBadBoundType = 1457;
inline constexpr int kRepeatedUpper = 1458;
inline constexpr int kRepeatedLower = 1459;
inline constexpr int kNoBoundType = 1460;
inline constexpr int kExpectEndata = 1462;
inline constexpr int kLineTooLong = 1465;
inline constexpr int kNoRows = 1471;
inline constexpr int kNoColumns = 1472;
inline constexpr int kExpectRim = 1473;
inline constexpr int kRangesOrder = 1474;
inline constexpr int kExpectQuad = 1475;
inline constexpr int kNoObjective = 1476;
inline constexpr int kRowRepeatsUnprinted = 1477;
inline constexpr int kColumnRepeatsUnprinted = 1478;
inline constexpr int kIntorgInside = 1480;
inline constexpr int kIntendOutside = 1481;
inline constexpr int kSosorgInside = 1482;
inline constexpr int kSosendOutside = 1483;
inline constexpr int kNoRowName = 1486;
inline constexpr int kBadObjSense = 1487;
inline constexpr int kQuadInConstraint = 1605;
inline constexpr int kUnrepresentable = 1650;
inline constexpr int kMissingSosType = 3301;

}  // namespace korva::mps::code
