// tallomar-sandbox: the loopback SQL Server stand-in as a program, for the
// demo and for checks with other clients. Runs until interrupted.
#include "sandbox/server.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <limits>
#include <string>

namespace {

void usage(std::ostream& out) {
    out << "usage: tallomar-sandbox [--port N] [--login USER:PASSWORD]... [--data DIR]\n"
           "                        [--fail-batch N:NUMBER:MESSAGE] [--delay-batch N:SECONDS]\n"
           "                        [--drop-batch N] [--delay-login SECONDS]\n"
           "       tallomar-sandbox --help | --version\n"
           "\n"
           "  --port N                    TCP port on 127.0.0.1 (0, the default: a free one)\n"
           "  --login USER:PASSWORD       a login the server accepts (at least one; repeatable)\n"
           "  --data DIR                  each NAME.sql file in DIR seeds database NAME\n"
           "  --fail-batch N:NUMBER:MESSAGE  answer the Nth batch with error NUMBER and MESSAGE\n"
           "  --delay-batch N:SECONDS     wait before running the Nth batch\n"
           "  --drop-batch N              close the connection when the Nth batch arrives\n"
           "  --delay-login SECONDS       answer each login only after SECONDS (may be fractional)\n"
           "  --help                      print this text and exit\n"
           "  --version                   print the version and exit\n"
           "Batches are counted over all connections from the start, the first being 1.\n"
           "Each fault says on stderr what it did: \"fault: batch N answered with error NUMBER\",\n"
           "\"fault: batch N delayed by SECONDS seconds\" or \"fault: batch N dropped the connection\".\n";
}

int number(const std::string& text, const std::string& option) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
    }
    if (used != text.size() || value < 0) throw std::invalid_argument(option + ": '" + text + "' is not a number");
    return value;
}

std::uint16_t port(const std::string& text) {
    const int value = number(text, "--port");
    if (value > std::numeric_limits<std::uint16_t>::max())
        throw std::invalid_argument("--port: '" + text + "' is not a TCP port (0 to 65535)");
    return static_cast<std::uint16_t>(value);
}

std::chrono::milliseconds seconds(const std::string& text, const std::string& option) {
    std::size_t used = 0;
    double value = -1;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
    }
    if (used != text.size() || !(value >= 0 && value <= 86400))
        throw std::invalid_argument(option + ": '" + text + "' is not a number of seconds");
    return std::chrono::milliseconds(static_cast<long long>(value * 1000));
}

}  // namespace

int main(int argc, char** argv) {
    using tallomar::sandbox::Fault;
    tallomar::sandbox::ServerOptions options;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--help" || option == "-h") {
                usage(std::cout);
                return 0;
            }
            if (option == "--version") {
                std::cout << "tallomar-sandbox " << TALLOMAR_VERSION << "\n";
                return 0;
            }
            if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
            const std::string value = argv[++i];
            if (option == "--port") {
                options.port = port(value);
            } else if (option == "--login") {
                const auto colon = value.find(':');
                if (colon == std::string::npos || colon == 0)
                    throw std::invalid_argument("--login wants USER:PASSWORD");
                options.logins.push_back({value.substr(0, colon), value.substr(colon + 1)});
            } else if (option == "--data") {
                options.dataFolder = value;
            } else if (option == "--fail-batch") {
                const auto first = value.find(':');
                const auto second = first == std::string::npos ? first : value.find(':', first + 1);
                if (second == std::string::npos) throw std::invalid_argument("--fail-batch wants N:NUMBER:MESSAGE");
                options.faults.push_back(Fault::failBatch(number(value.substr(0, first), option),
                                                          number(value.substr(first + 1, second - first - 1), option),
                                                          value.substr(second + 1)));
            } else if (option == "--delay-batch") {
                const auto colon = value.find(':');
                if (colon == std::string::npos) throw std::invalid_argument("--delay-batch wants N:SECONDS");
                options.faults.push_back(
                    Fault::delayBatch(number(value.substr(0, colon), option),
                                      std::chrono::seconds(number(value.substr(colon + 1), option))));
            } else if (option == "--delay-login") {
                options.loginDelay = seconds(value, option);
            } else if (option == "--drop-batch") {
                options.faults.push_back(Fault::dropAtBatch(number(value, option)));
            } else {
                throw std::invalid_argument("unknown option " + option);
            }
        }
        if (options.logins.empty()) throw std::invalid_argument("give at least one --login USER:PASSWORD");
        // One write per line, so that lines of connections at once never mix.
        options.faultReports = [](const std::string& line) { std::fputs((line + "\n").c_str(), stderr); };
    } catch (const std::exception& error) {
        std::cerr << "tallomar-sandbox: " << error.what() << "\n";
        usage(std::cerr);
        return 2;
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    // Blocked before any thread starts, so that only the wait below sees them.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        tallomar::sandbox::Server server(options);
        std::cout << "listening on 127.0.0.1 port " << server.port() << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::exception& error) {
        std::cerr << "tallomar-sandbox: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
