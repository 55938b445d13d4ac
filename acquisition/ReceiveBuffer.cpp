#include "acquisition/ReceiveBuffer.h"

#include <cstring>

char ReceiveBuffer[ReceiveBufferSize];
std::atomic<std::int32_t> ReceiveLength{0};
std::atomic<std::uint32_t> PollPeriodMs{0};
ByteSource *g_port = nullptr;

void ResetReceiveBuffer()
{
    std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
    ReceiveLength = 0;
}
