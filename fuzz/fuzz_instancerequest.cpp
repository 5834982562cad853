// SPDX-License-Identifier: GPL-3.0-or-later
// What the running instance reads from another start's connection: a request only from a
// whole first line, and only one a start may ask; the bytes after that line never change it;
// and what it takes, written again as a start writes it, reads back the same.
#include "FuzzCheck.h"
#include "app/InstanceRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using State = InstanceRequest::Read::State;
    const QByteArrayView bytes = fuzzBytes(data, size);
    const InstanceRequest::Read read = InstanceRequest::read(bytes);
    const qsizetype end = bytes.indexOf('\n');
    FUZZ_CHECK((read.state == State::Incomplete) ==
               (end < 0 && bytes.size() <= InstanceRequest::kMaxLine));
    if (read.state != State::Complete)
        return 0;
    FUZZ_CHECK(InstanceRequest::isRequest(read.request) && InstanceRequest::isToken(read.token));
    const InstanceRequest::Read line = InstanceRequest::read(bytes.first(end + 1));
    FUZZ_CHECK(line.state == State::Complete && line.request == read.request);
    const InstanceRequest::Read again =
        InstanceRequest::read(InstanceRequest::message(read.request, read.token));
    FUZZ_CHECK(again.state == State::Complete && again.request == read.request &&
               again.token == read.token);
    return 0;
}
