#pragma once
// Faults made on files for tests: another connection holding a database in one of SQLite's
// lock states, and a file even root cannot write.
#include <QString>

// Another program's connection to a database file. Note: reading the file in this process
// (QFile) lets go of every POSIX lock the process holds on it, this one's too.
class OtherConnection {
public:
    OtherConnection() = default;
    ~OtherConnection() { close(); }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    // Opens the file and runs sql ("BEGIN EXCLUSIVE", "BEGIN; SELECT …"); false on failure.
    bool open(const QString& path, const char* sql);
    // Rolls back whatever is open and closes.
    void close();
    bool isOpen() const { return m_db != nullptr; }

private:
    struct sqlite3* m_db = nullptr;
};

// The immutable attribute (root writes read-only files too); false where it cannot be set.
bool setImmutable(const QString& path, bool on);
// Read-only for everyone, root included; false where that cannot be made here.
bool makeReadOnly(const QString& path);
void undoReadOnly(const QString& path);
