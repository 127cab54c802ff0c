#pragma once
// The program's numbered errors (the numbers of the runtime whose messages the program shows)
// and their standard descriptions. Every message box that shows an error description takes its
// text from here.
#include <QString>

class ErrorCode {
  public:
    enum Value : int {
        None = 0,
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        TypeMismatch = 13,
        BadFileName = 52,
        FileNotFound = 53,
        DeviceIo = 57,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
    };
    constexpr ErrorCode(Value value = None) : value_(value) {}
    constexpr Value value() const { return value_; }
    // Whether this is an error at all.
    explicit constexpr operator bool() const { return value_ != None; }
    friend constexpr bool operator==(ErrorCode, ErrorCode) = default;

    // The standard description ("ファイルが見つかりません。"); an error without one of its own
    // reads as a device I/O error.
    QString description() const;

    // The error a system error number means. path, when given, lets a missing file be told
    // apart from a missing directory.
    static ErrorCode fromErrno(int err, const QString& path = QString());

  private:
    Value value_;
};
