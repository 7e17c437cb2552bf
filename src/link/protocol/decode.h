#pragma once
// Reply decoding: a complete, checksum-valid reply packet in, the postings it makes out.
// The decoders keep no state of their own; what a reply changes on the link (hand-shake,
// model, versions) is written to the LinkState passed in.

#include <cstdint>

#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

// Decodes one reply as the receive parser hands it over: LEN, the type and the 60-byte
// payload buffer (command, operation, data). Writes the "packet_process" log line of the
// type first.
Postings DecodeReply(uint8_t len, uint8_t type, const uint8_t* payload,
                     const DeviceProfile& profile, LinkState& state);
// The same for a reply written as a frame (the data is at most 57 bytes).
Postings DecodeReply(const Frame& reply, const DeviceProfile& profile, LinkState& state);

// One decoder per packet type. `p` is the payload buffer and `len` the packet's LEN.
void DecodeDsp(const uint8_t* p, uint8_t len, const DeviceProfile& profile, LinkState& state,
               Postings& out);
void DecodeMcu(const uint8_t* p, uint8_t len, LinkState& state, Postings& out);
void DecodeFlash(const uint8_t* p, uint8_t len, LinkState& state, Postings& out);
void DecodeKtv(const uint8_t* p, uint8_t len, Postings& out);

// Parts of DecodeDsp kept in their own files; each returns true when the command was one
// of its own. `d` is the data and `n` the number of data bytes in the packet.
bool DecodeDspInput(uint8_t cmd, uint8_t op, const uint8_t* d, int n, const DeviceProfile& profile,
                    Postings& out);
bool DecodeDspCalibration(uint8_t cmd, uint8_t op, const uint8_t* d, int n, Postings& out);
void DecodeCalibrationStatus(const uint8_t* d, Postings& out);
// One EqBandValue per band of an EQ report (output or input channel).
void PostEqBands(Postings& out, Target target, uint32_t msg, uint32_t wparam, const uint8_t* d,
                 int n);

}  // namespace dvdsp::link::protocol
