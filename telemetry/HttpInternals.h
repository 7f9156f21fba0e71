#pragma once

#include <cstddef>

// Knobs of the transfer machinery that only tests turn. Not for product code.

// Lowers the body limit so a test needs no 100 MB body; 0 restores HTTP_BODY_LIMIT.
void SetBodyLimitForTesting(std::size_t limit);

// While set, StartRequest behaves as if no worker thread could be created.
void FailThreadStartsForTesting(bool fail);

// Requests the machinery owns right now: started (or failed to start by a sender) and not yet
// freed. Comes back to where it was once every result has been handled or dropped.
std::size_t OwnedRequestsForTesting();
