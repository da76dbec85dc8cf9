// What the event source and the console signals hand a waiting loop.
#pragma once

#include <asio/experimental/deferred.hpp>
#include <asio/steady_timer.hpp>
#include <utility>

namespace tui {

// An Asio operation that has not started yet: give it a completion token,
// or put it in a parallel group beside other operations. It completes when
// what it stands for may have happened, or when it is cancelled. It promises
// nothing, so the waiter looks again at what it waits for; in return it costs
// no coroutine of its own, which matters for a loop that waits every turn.
using WakeUp =
    decltype(std::declval<asio::steady_timer&>().async_wait(asio::experimental::deferred));

}  // namespace tui
