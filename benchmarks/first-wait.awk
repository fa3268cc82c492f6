# Start-up to the idle loop, from `strace -f -ttt -T` traces (one file per run): the time from
# exec to the start of the main thread's first wait that blocks (one that lasts 100 ms or more,
# or has not returned when the run ends). Prints "mean best runs" in milliseconds, or
# "crashed crashed 0" when a run crashed, "? ? 0" when no run reached its idle loop.
function took(line) { return match(line, /<[0-9.]+>$/) ? substr(line, RSTART + 1, RLENGTH - 2) : 0 }
function idle(at) {
  ms = (at - start) * 1000; total += ms; count++; done = 1
  if (best == "" || ms < best) best = ms
}
FNR == 1 { start = ""; pid = ""; done = 0; pending = "" }
/execve\(/ && start == "" { start = $2; pid = $1 }
/killed by SIG(SEGV|ABRT|BUS|ILL|FPE)/ { crashed = 1 }
done || $1 != pid { next }
/(poll|ppoll|epoll_wait|epoll_pwait|select|pselect6)\(/ && /unfinished/ { pending = $2; next }
/(poll|ppoll|epoll_wait|epoll_pwait|select|pselect6)\(/ { if (took($0) >= 0.1) idle($2); next }
# A wait that the end of the run interrupted has no duration ("= ?"): it was still waiting.
/resumed>/ {
  if (pending != "" && (took($0) >= 0.1 || / = \?$/)) idle(pending)
  pending = ""
  next
}
/\+\+\+ (exited|killed)/ && pending != "" { idle(pending) }
END {
  if (crashed) print "crashed crashed 0"
  else if (count) printf "%.1f %.1f %d\n", total / count, best, count
  else print "? ? 0"
}
