#include "acquisition/Reception.h"

#include "companions/ProcessMemory.h"

#include <algorithm>
#include <cstring>

std::size_t ReceiveStore::storeBytes(std::span<const char> bytes)
{
    std::size_t stored = 0;
    while (stored < bytes.size() && store(bytes[stored]))
        ++stored;
    return stored;
}

// Left uninitialised: only bytes below the length are ever read, and the pages of a buffer a
// reception never fills are never touched.
ReceiveBuffer::ReceiveBuffer() : m_bytes(new char[ReceiveBufferSize]) {}

qint64 ReceiveBuffer::stored() const
{
    return m_length.load(std::memory_order_acquire);
}

bool ReceiveBuffer::store(char byte)
{
    const std::int32_t length = m_length.load(std::memory_order_relaxed);
    if (static_cast<std::size_t>(length) >= ReceiveBufferSize)
        return false;
    m_bytes[length] = byte;
    m_length.store(length + 1, std::memory_order_release);
    return true;
}

std::size_t ReceiveBuffer::storeBytes(std::span<const char> bytes)
{
    const std::int32_t length = m_length.load(std::memory_order_relaxed);
    const std::size_t count =
        std::min(bytes.size(), ReceiveBufferSize - static_cast<std::size_t>(length));
    std::memcpy(m_bytes.get() + length, bytes.data(), count);
    m_length.store(length + static_cast<std::int32_t>(count), std::memory_order_release);
    return count;
}

std::span<const char> ReceiveBuffer::bytes() const
{
    return {m_bytes.get(), static_cast<std::size_t>(m_length.load(std::memory_order_acquire))};
}

qint64 GrowingReceiveStore::stored() const
{
    return static_cast<qint64>(m_length.load(std::memory_order_acquire));
}

bool GrowingReceiveStore::store(char byte)
{
    return storeBytes({&byte, 1}) == 1;
}

std::size_t GrowingReceiveStore::storeBytes(std::span<const char> bytes)
{
    const std::size_t length = m_length.load(std::memory_order_relaxed);
    grow(length + bytes.size());
    const Block *block = m_current.load(std::memory_order_relaxed);
    if (!bytes.empty())
        std::memcpy(block->bytes.get() + length, bytes.data(), bytes.size());
    m_length.store(length + bytes.size(), std::memory_order_release);
    return bytes.size();
}

// The length is read before the block: a block is published before any length that needs
// it, and a block holds every byte below the length it was published at.
std::span<const char> GrowingReceiveStore::bytes() const
{
    const std::size_t length = m_length.load(std::memory_order_acquire);
    const Block *block = m_current.load(std::memory_order_acquire);
    if (block == nullptr)
        return {};
    return {block->bytes.get(), std::min(length, block->capacity)};
}

void GrowingReceiveStore::reserve(std::size_t size)
{
    grow(size);
}

// The outgrown block is kept, not freed: a reader of bytes() may still be reading it.
void GrowingReceiveStore::grow(std::size_t needed)
{
    const Block *current = m_current.load(std::memory_order_relaxed);
    const std::size_t capacity = current != nullptr ? current->capacity : 0;
    if (needed <= capacity)
        return;
    auto block = std::make_unique<Block>();
    block->capacity = std::max({needed, capacity + capacity / 2, std::size_t{4096}});
    block->bytes.reset(new char[block->capacity]);
    PreferHugePages(block->bytes.get(), block->capacity);
    if (current != nullptr)
        std::memcpy(block->bytes.get(), current->bytes.get(),
                    m_length.load(std::memory_order_relaxed));
    m_current.store(block.get(), std::memory_order_release);
    m_blocks.push_back(std::move(block));
}

void GrowingReceiveStore::truncate(std::size_t size)
{
    if (size < m_length.load(std::memory_order_relaxed))
        m_length.store(size, std::memory_order_release);
}

void GrowingReceiveStore::clear()
{
    m_length.store(0, std::memory_order_release);
    m_current.store(nullptr, std::memory_order_release);
    m_blocks.clear();
}

Reception::Reception() : m_buffer(std::make_unique<ReceiveBuffer>()), m_store(m_buffer.get()) {}

Reception::Reception(ReceiveStore &store) : m_store(&store) {}

void Reception::clear()
{
    if (!m_buffer)
        return;
    m_buffer->clear();
    m_whole.reset();
    m_store = m_buffer.get();
}

void Reception::keepWhole(std::size_t expectedSize)
{
    if (!m_buffer)
        return;
    clear();
    m_whole = std::make_unique<GrowingReceiveStore>();
    m_whole->reserve(expectedSize);
    m_store = m_whole.get();
}

void Reception::truncate(std::size_t size)
{
    if (m_whole)
        m_whole->truncate(size);
}
