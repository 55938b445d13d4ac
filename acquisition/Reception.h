#pragma once

#include <QtGlobal>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class ByteSource;

// Where a reader keeps the bytes of the lines it stores, in order.
class ReceiveStore
{
public:
    virtual ~ReceiveStore() = default;
    // The count of bytes stored so far: the offset the next byte is stored at.
    virtual qint64 stored() const = 0;
    // Stores one byte; false, with nothing stored, when the store has no room for it.
    virtual bool store(char byte) = 0;
    // Stores bytes in order as long as there is room; returns the count stored.
    virtual std::size_t storeBytes(std::span<const char> bytes);
};

// The most a reception kept in memory holds; a byte past it ends the reading as BufferFull.
constexpr std::size_t ReceiveBufferSize = 1048576;

// The bytes of a reception kept in memory. The reader only appends and raises the length past
// the bytes it stored, so another thread may read every byte below the length it sees; the
// buffer is emptied only while no reader runs.
class ReceiveBuffer final : public ReceiveStore
{
public:
    ReceiveBuffer();

    qint64 stored() const override;
    bool store(char byte) override;
    std::size_t storeBytes(std::span<const char> bytes) override;

    // The bytes stored so far.
    std::span<const char> bytes() const;
    // Only while no reader runs.
    void clear() { m_length = 0; }

private:
    std::unique_ptr<char[]> m_bytes;
    std::atomic<std::int32_t> m_length{0};
};

// One reception: the source it reads, where its bytes go, and its poll period. The window's
// receptions keep their bytes in a ReceiveBuffer of their own; orma-cli's go to its file.
// Source and period change only while no reader runs, so the reader reads them without a lock.
class Reception
{
public:
    // A reception into a ReceiveBuffer of its own.
    Reception();
    // A reception into store, which outlives it; it keeps no bytes in memory itself.
    explicit Reception(ReceiveStore &store);
    Reception(const Reception &) = delete;
    Reception &operator=(const Reception &) = delete;

    // The open port or data file, or null.
    ByteSource *source() const { return m_source; }
    void setSource(ByteSource *source) { m_source = source; }

    // In continuous mode one line is kept per period; 0 keeps every line.
    std::uint32_t pollPeriodMs() const { return m_pollPeriodMs; }
    void setPollPeriodMs(std::uint32_t periodMs) { m_pollPeriodMs = periodMs; }

    ReceiveStore &store() { return m_store; }
    // The bytes kept in memory so far; none for a reception into a store of its own.
    std::span<const char> bytes() const;
    // Empties the buffer for the next reception; only while no reader runs.
    void clear();

private:
    std::unique_ptr<ReceiveBuffer> m_buffer;
    ReceiveStore &m_store;
    ByteSource *m_source = nullptr;
    std::uint32_t m_pollPeriodMs = 0;
};
