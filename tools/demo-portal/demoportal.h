// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

// A small local stand-in for the Quorvell portal and the maker's servers, in
// the page formats the player cuts. Deterministic: the same song numbers,
// titles and lengths on every run (see catalogue.h).
namespace demo {

struct Options {
    std::string bind = "127.0.0.1";
    int port = 0; // 0: a free port
    // The radio streams listen on their own address; empty disables them.
    std::string radioBind = "127.0.0.2";
    int radioPorts[2] = {6870, 6872}; // broadband, dial-up; 0: a free port
    // The stream title ("Vellwave - Demo Track N") moves on every so many
    // seconds of sound.
    int radioTrackSeconds = 30;
    // Faults: "NAME" or "NAME:PATHPREFIX" (only paths starting with the prefix),
    // or "NAME:PATH$" (that path only).
    // slow: 2 s before each answer and the body in small pieces
    // hang: accept and never answer
    // http500: answer 500
    // truncated: announce the full length, send half, close
    // hostile: list and favourites pages with hostile content
    // crowded: list pages run on into the next page's first 10 songs (60 entries)
    // radiocut: radio streams break off, and new ones are refused (503)
    // huge: pages run on for another 50 MB (a comment without marks)
    // garbage: pages are 256 KB of binary bytes instead
    // marks: list and favourites pages hold 10,000 entries
    // endless: pages never end (4 KB more every 50 ms)
    // stall: radio streams stay open and send nothing
    // unsigned: the installer has no signature (404)
    // tampered: the installer's bytes change after signing
    // wrongkey: the installer is signed by a key nobody trusts
    // lag: 250 ms before each answer, which then comes at full speed
    std::vector<std::string> faults;
    bool logToStdout = false; // one line per request: "GET /path STATUS"
    // PEM files of a certificate and its key: with them every server speaks
    // https only, and the addresses start with "https://".
    std::string tlsCert;
    std::string tlsKey;
};

class Portal {
public:
    explicit Portal(Options options = {});
    ~Portal(); // stops
    Portal(const Portal&) = delete;
    Portal& operator=(const Portal&) = delete;

    // Binds and serves on background threads; throws std::runtime_error when
    // the main address cannot be bound. Returns once it accepts connections.
    void start();
    void stop();

    int port() const;
    std::string baseUrl() const; // "http://ADDR:PORT" ("https://" with a certificate)
    // The radio server's address without port ("http://127.0.0.2") and a
    // stream's full address; quality 0 broadband, 1 dial-up.
    std::string radioBase() const;
    int radioPort(int quality) const;
    std::string radioUrl(int quality) const; // "http://ADDR:PORT/"

    void setFaults(std::vector<std::string> faults); // thread-safe, at any time
    // Whether a fault text names a known fault ("NAME" or "NAME:/PREFIX");
    // setFaults and the constructor throw std::invalid_argument for any other.
    static bool isValidFault(const std::string& faultText);

    int counterHits() const;
    std::vector<std::string> requestLog() const; // "GET /path STATUS", once answered
    // "GET /path" as each request comes in, before any fault holds it.
    std::vector<std::string> arrivals() const;
    bool hasArrived(const std::string& methodAndPath) const;

    // A servers.ini pointing every address at this portal.
    std::string serversIni() const;
    void writeServersIni(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace demo
