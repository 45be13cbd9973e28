// The file numbers of the suite that this program uses: one name each. A file
// number is a row of "WKBASE.DAT" (records/files.h), which gives the file's
// name and record length; the record procedures take it as a double, to
// which these convert as they are passed.
#pragma once

namespace vt {

// The user's archives: the ones the copy writes to.
inline constexpr int kUserCompanyFile = 1;   // companies; record number = company code
inline constexpr int kUserEmployeeFile = 2;  // employees
inline constexpr int kUserSectorFile = 8;    // sectors; record number = sector code
inline constexpr int kUserProfileFile = 48;  // profiles; record number = profile code
inline constexpr int kUserFormulaFile = 401;  // formulas; record number = formula code

// The employee-code indexes (ISAM, records/isam.h) and the companion file
// that holds one record per employee record.
inline constexpr int kEmployeeIndexFile = 7;
inline constexpr int kSecondEmployeeIndexFile = 30;  // in place of 7 for the opener's archive 29
inline constexpr int kCompanionFile = 97;

// The task semaphore "WKSEMA.DAT" (records/semaphore.h): opened under this
// number, which has no row in "WKBASE.DAT".
inline constexpr int kSemaphoreFileNumber = 16;

// The standard archives: never written, so opened for reading only (still
// shared for reading and writing with the suite's programs), so that an
// operator who may only read them can browse them. They are numbered without
// a gap, one for each entry of the archive menu (ui/archives.h).
inline constexpr int kStandardCompanyFile = 201;
inline constexpr int kStandardEmployeeFile = 202;
inline constexpr int kStandardFormulaFile = 203;
inline constexpr int kStandardSectorFile = 204;
inline constexpr int kStandardFixedDataFile = 205;
inline constexpr int kStandardProfileFile = 206;
inline constexpr int kFirstStandardFile = kStandardCompanyFile;
inline constexpr int kLastStandardFile = kStandardProfileFile;

// True when `file` is one of the standard archives.
constexpr bool isStandardFile(int file) { return file >= kFirstStandardFile && file <= kLastStandardFile; }

}  // namespace vt
