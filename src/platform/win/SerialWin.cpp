// The Win32 backend of the serial seam. Built only on Windows.
#include "platform/SerialPort.h"

#include <windows.h>

#include <cstdio>

namespace platform {

namespace {

constexpr DWORD kRxBufferSize = 32000;
constexpr DWORD kTxChunkSize = 1024;

std::string lastErrorText() {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                   sizeof text, nullptr);
    std::string s(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == '.')) s.pop_back();
    return s;
}

class WinSerialDevice : public SerialDevice {
public:
    explicit WinSerialDevice(HANDLE h) : handle_(h) {}
    ~WinSerialDevice() override { CloseHandle(handle_); }

    int read(std::uint8_t* buffer, int max) override {
        const int waiting = inQueue();
        const DWORD want = static_cast<DWORD>(waiting < max ? waiting : max);
        if (want == 0 || waiting < 0) return 0;
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, want, &got, nullptr)) return 0;
        return static_cast<int>(got);
    }

    int write(const std::uint8_t* bytes, int n) override {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes, static_cast<DWORD>(n), &written, nullptr)) return static_cast<int>(written);
        return static_cast<int>(written);
    }

    int inQueue() override {
        COMSTAT st{};
        DWORD errors = 0;
        return ClearCommError(handle_, &errors, &st) ? static_cast<int>(st.cbInQue) : -1;
    }
    int outQueue() override {
        COMSTAT st{};
        DWORD errors = 0;
        return ClearCommError(handle_, &errors, &st) ? static_cast<int>(st.cbOutQue) : -1;
    }

private:
    HANDLE handle_;
};

class WinSerialPorts : public SerialPorts {
public:
    std::unique_ptr<SerialDevice> open(const std::string& path, const LineSettings& settings,
                                       std::string& reason) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            reason = "cannot open " + path + ": " + lastErrorText();
            return nullptr;
        }
        auto device = std::make_unique<WinSerialDevice>(h);
        if (!SetupComm(h, kRxBufferSize, kTxChunkSize) ||
            !PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
            reason = "cannot set up " + path + ": " + lastErrorText();
            return nullptr;
        }
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 0;
        timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(100000 / settings.baudRate);
        timeouts.WriteTotalTimeoutConstant = 3000;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!SetCommTimeouts(h, &timeouts) || !GetCommState(h, &dcb)) {
            reason = "cannot set up " + path + ": " + lastErrorText();
            return nullptr;
        }
        dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE;
        dcb.XonLim = static_cast<WORD>(kRxBufferSize / 2);
        dcb.XoffLim = static_cast<WORD>(kRxBufferSize * 3 / 4);
        dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
        dcb.Parity = NOPARITY;
        dcb.StopBits = static_cast<BYTE>(settings.stopBits == 1 ? ONE5STOPBITS
                                         : settings.stopBits == 2 ? TWOSTOPBITS
                                                                  : ONESTOPBIT);
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.ErrorChar = 0x3F;
        dcb.EofChar = static_cast<char>(0xFD);
        dcb.EvtChar = static_cast<char>(0xFE);
        if (!SetCommState(h, &dcb)) {
            reason = "cannot set up " + path + ": " + lastErrorText();
            return nullptr;
        }
        return device;
    }

    std::string comPortPath(int number) override {
        if (number < 1) return {};
        char name[32];
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", number);
        return name;
    }

    void pause(int ms) override { Sleep(static_cast<DWORD>(ms)); }
};

}  // namespace

SerialPorts& systemSerialPorts() {
    static WinSerialPorts ports;
    return ports;
}

}  // namespace platform
