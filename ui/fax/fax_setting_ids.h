// The settings the fax front end reads and writes by identifier. The recipient
// being typed on the recipients page is held in 1794-1818, the same fields, in
// the same order, as a FaxRecipientRecord.
#pragma once
#include <cstdint>

#include "common/settings/function_ids.h"

inline constexpr uint16_t kFidRecipientKind = 1794;        // 0 fax number, 1 speed dial, 2 IP fax
inline constexpr uint16_t kFidRecipientAddress = 1795;
inline constexpr uint16_t kFidRecipientDialPrefix = 1796;  // 0 none, 1 extension, 2 outside line
inline constexpr uint16_t kFidRecipientName = 1797;
inline constexpr uint16_t kFidRecipientCompany = 1798;
inline constexpr uint16_t kFidAddressBookFile = 1799;      // a leading ':' marks a path kept as current
inline constexpr uint16_t kFidRecipientCommMode = 1810;
inline constexpr uint16_t kFidRecipientMailboxKind = 1811; // 1 mailbox, 2 relay broadcast
inline constexpr uint16_t kFidRecipientMailboxNumber = 1812;
inline constexpr uint16_t kFidRecipientMailboxCode = 1813;
inline constexpr uint16_t kFidRecipientRelayStation = 1814;
inline constexpr uint16_t kFidRecipientRelayPrint = 1815;
inline constexpr uint16_t kFidRecipientRelayNumbers = 1816;
inline constexpr uint16_t kFidRecipientFCode = 1817;
inline constexpr uint16_t kFidRecipientFCodePassword = 1818;

inline constexpr uint16_t kFidSenderName = 1819;
inline constexpr uint16_t kFidSenderText2 = 1820;
inline constexpr uint16_t kFidSenderLines = 1821;
inline constexpr uint16_t kFidSenderText4 = 1822;
inline constexpr uint16_t kFidSenderText5 = 1823;
inline constexpr uint16_t kFidSenderMail = 1876;

inline constexpr uint16_t kFidFaxSendTimeChoice = 1803;  // 0 at once, 1 at the hour and minute of 1801, 1802
inline constexpr uint16_t kFidUseAddressHistory = 1367;
inline constexpr uint16_t kFidFaxLineValue = 1881;
inline constexpr uint16_t kFidFaxInstallable4111 = 4111;
inline constexpr uint16_t kFidFaxCommMode2 = 4112;
inline constexpr uint16_t kFidFaxInstallable4113 = 4113;
inline constexpr uint16_t kFidIpFaxOption = 4142;
inline constexpr uint16_t kFidFaxCardType = 4369;          // Option_FaxCardType: 0 no card, 1, 2
inline constexpr uint16_t kFidOutsideLinePrefix = 5141;
inline constexpr uint16_t kFidOutsideLineValue = 5142;
inline constexpr uint16_t kFidExtensionPrefix = 5143;
inline constexpr uint16_t kFidExtensionValue = 5144;
inline constexpr uint16_t kFidPrefixValue5145 = 5145;
inline constexpr uint16_t kFidConfirmTypedNumber = 5210;
inline constexpr uint16_t kFidRecipientPageMode = 5211;
inline constexpr uint16_t kFidOneRecipientMode = 5212;
inline constexpr uint16_t kFidSpeedDialBookSize = 8207;

// Model capabilities the fax front end asks.
inline constexpr uint32_t kCapFaxLineKind1 = 0xFFFF0029;
inline constexpr uint32_t kCapKeepRecipientKind = 0xFFFF0040;
