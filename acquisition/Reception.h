#pragma once

#include <QtGlobal>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

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
    // The bytes stored so far, where the store keeps them in memory; none otherwise.
    virtual std::span<const char> bytes() const { return {}; }
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

    std::span<const char> bytes() const override;
    // Only while no reader runs.
    void clear() { m_length = 0; }

private:
    std::unique_ptr<char[]> m_bytes;
    std::atomic<std::int32_t> m_length{0};
};

// A store without a ceiling: the bytes of a data file of any size, kept in memory. As with
// ReceiveBuffer, another thread may read every byte below the length it sees while the reader
// appends: a block outgrown stays in memory, unchanged, until the store is emptied.
class GrowingReceiveStore final : public ReceiveStore
{
public:
    qint64 stored() const override;
    bool store(char byte) override;
    std::size_t storeBytes(std::span<const char> bytes) override;
    std::span<const char> bytes() const override;

    // Makes room for size bytes at once: a store grown by steps copies its bytes over and
    // over. Only while no reader runs.
    void reserve(std::size_t size);
    // Keeps only the first size bytes; only while no reader runs.
    void truncate(std::size_t size);
    // Empties the store and gives its memory back; only while no reader runs.
    void clear();

private:
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
    };
    void grow(std::size_t needed);

    // The block the bytes are stored in, the last of m_blocks; earlier ones were outgrown.
    std::atomic<const Block *> m_current{nullptr};
    std::vector<std::unique_ptr<Block>> m_blocks;
    std::atomic<std::size_t> m_length{0};
};

// One reception: the source it reads, where its bytes go, and its poll period. The window's
// receptions keep their bytes in memory of their own: a port's in a ReceiveBuffer, a data
// file's whole; orma-cli's go to its file.
// Source and period change only while no reader runs, so the reader reads them without a lock.
class Reception
{
public:
    // A reception into memory of its own, a ReceiveBuffer until keepWhole.
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

    ReceiveStore &store() { return *m_store; }
    // The bytes kept in memory so far; none for a reception into a store of its own.
    std::span<const char> bytes() const { return m_store->bytes(); }
    // Empties the reception's memory for the next reception, which goes to the ReceiveBuffer
    // (a port's) or, with a size to expect, to a store without a ceiling (a data file's,
    // read whole); only while no reader runs. Nothing changes for a store of its own.
    void clear();
    void keepWhole(std::size_t expectedSize);
    // Keeps only the first size bytes of a reception kept whole, so that its bytes end with
    // the rows taken from them; only while no reader runs.
    void truncate(std::size_t size);

private:
    std::unique_ptr<ReceiveBuffer> m_buffer;
    std::unique_ptr<GrowingReceiveStore> m_whole;
    ReceiveStore *m_store;
    ByteSource *m_source = nullptr;
    std::uint32_t m_pollPeriodMs = 0;
};
