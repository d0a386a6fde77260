// The string-table ids of the texts the windows show in message boxes (the 4001-4100 group of
// the table). The device protocol's own texts are named in net/net_messages.h; the windows use
// those names too.
#pragma once

#include "net/net_messages.h"

namespace ui {

inline constexpr int kMsgAccountMemoryFull = 4001;
inline constexpr int kMsgAddAccountFailed = 4002;
inline constexpr int kMsgAddFtpSiteFailed = 4003;
inline constexpr int kMsgApplySettingFailed = 4004;
inline constexpr int kMsgApplySettingDone = 4005;
inline constexpr int kMsgBindFailed = 4006;
inline constexpr int kMsgNoServerDetected = 4008;
inline constexpr int kMsgChangeConfigFailed = 4012;
inline constexpr int kMsgConnectError = 4014;
inline constexpr int kMsgEditAccountFailed = 4022;
inline constexpr int kMsgEditFtpSiteFailed = 4023;
inline constexpr int kMsgGetConfigError = 4029;
inline constexpr int kMsgGetIndexItemFailed = 4031;
inline constexpr int kMsgNoDeviceConnection = 4034;
inline constexpr int kMsgNoItemData = 4035;
inline constexpr int kMsgCannotModifyNetwork = 4036;
inline constexpr int kMsgNothingToSelect = 4037;
inline constexpr int kMsgMaxMailAddresses = 4041;
inline constexpr int kMsgMaxUsersRange = 4043;
inline constexpr int kMsgSelectFromList = 4044;
inline constexpr int kMsgNothingToDelete = 4045;
inline constexpr int kMsgNothingToEdit = 4046;
inline constexpr int kMsgOpenFirmwareFailed = 4047;
inline constexpr int kMsgOverwritingFlash = 4048;
inline constexpr int kMsgWrongPassword = 4049;
inline constexpr int kMsgSelectAnItem = 4050;
inline constexpr int kMsgSelectASetting = 4052;
inline constexpr int kMsgPortOutOfRange = 4053;
inline constexpr int kMsgWrongPort = 4054;
inline constexpr int kMsgReadFirmwareFailed = 4057;
inline constexpr int kMsgReceiveError = 4059;
inline constexpr int kMsgResetDefaultFailed = 4061;
inline constexpr int kMsgResetDefaultDone = 4062;
inline constexpr int kMsgSendTimeout = 4064;
inline constexpr int kMsgNetworkNotChanged = 4067;
inline constexpr int kMsgDiskFull = 4068;
inline constexpr int kMsgDeleteOwnAccount = 4069;
inline constexpr int kMsgUpgradeFirmwareError = 4077;
inline constexpr int kMsgEmptyUserOrAddress = 4079;
inline constexpr int kMsgWrongUserName = 4080;
inline constexpr int kMsgConnectFirst = 4085;
inline constexpr int kMsgSelectAccountToDelete = 4086;
inline constexpr int kMsgSelectAccountToEdit = 4087;
inline constexpr int kMsgSelectMailToDelete = 4088;
inline constexpr int kMsgSelectMailToEdit = 4089;
inline constexpr int kMsgTypePort = 4090;
inline constexpr int kMsgPtzNumberInvalid = 4095;
inline constexpr int kMsgPtzWithRetr = 4097;
inline constexpr int kMsgPlayerFailed = 4098;
inline constexpr int kMsgAudioOnly = 4100;

using net::kMsgNoDeviceProtocol;
using net::kMsgSendCommandFailed;
using net::kMsgWrongUserOrPassword;

}  // namespace ui
