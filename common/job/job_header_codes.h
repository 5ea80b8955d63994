// Results of the job description writers: a count of bytes written (>= 0), 0
// when a line has nothing to write and is left out, or one of these codes. A
// code is passed up unchanged and ends the header.
#pragma once

inline constexpr int kJobErrModelTable = -110;        // a row of the attribute table cannot be read
inline constexpr int kJobErrRowWithoutPrefix = -120;
inline constexpr int kJobErrRowWithoutText = -130;    // a row with neither setting nor fixed text
inline constexpr int kJobErrModelSizeData = -140;     // size sections of the model missing
inline constexpr int kJobErrOperator = -160;          // condition operator not supported
inline constexpr int kJobErrValueTypeUnknown = -170;  // condition or value type not supported
inline constexpr int kJobErrOperatorForType = -175;   // operator not defined for the type
inline constexpr int kJobErrSettingUnknown = -210;
inline constexpr int kJobErrValueTypeNotWritable = -220;
inline constexpr int kJobErrValueSize = -230;         // value size does not fit its type
inline constexpr int kJobErrStringCopy = -310;        // a text does not fit its buffer
inline constexpr int kJobErrConversion = -340;        // text conversion failed
inline constexpr int kJobErrNoMemory = -350;
// The output buffer is too small for what is appended. Every append is checked:
// a writer never writes past the capacity it was given.
inline constexpr int kJobErrNoRoom = -360;
inline constexpr int kJobErrSettingUnavailable = -410;
inline constexpr int kJobErrConditionType = -420;     // condition type differs from the setting's
inline constexpr int kJobErrBadArgument = -440;
inline constexpr int kJobErrConnector = -450;
inline constexpr int kJobErrCapabilities = -460;      // capability words unreadable
inline constexpr int kJobErrHostName = -510;          // a host-name function missing or failing
inline constexpr int kJobErrMissingData = -610;       // paper keyword, fax list, directory, library
inline constexpr int kJobErrBadValue = -620;
inline constexpr int kJobErrInstructionSize = -720;   // job-instruction block not produced
inline constexpr int kJobErrInstructionFetch = -730;
