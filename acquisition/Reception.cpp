#include "acquisition/Reception.h"

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

Reception::Reception() : m_buffer(std::make_unique<ReceiveBuffer>()), m_store(*m_buffer) {}

Reception::Reception(ReceiveStore &store) : m_store(store) {}

std::span<const char> Reception::bytes() const
{
    return m_buffer ? m_buffer->bytes() : std::span<const char>();
}

void Reception::clear()
{
    if (m_buffer)
        m_buffer->clear();
}
