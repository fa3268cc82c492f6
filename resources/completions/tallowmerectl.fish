# fish completion for tallowmerectl
set -l commands status switch next previous autoscan preferences quit watch
complete -c tallowmerectl -f
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a status -d 'Print the switch as tallowmere sees it'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a switch -d 'Switch to a port'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a next -d 'Switch to the next port that can be selected'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a previous -d 'Switch to the previous port that can be selected'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a autoscan -d "Start or stop the switch's auto-scan"
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a preferences -d 'Open the Preferences window'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a quit -d 'Quit tallowmere'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -a watch -d 'Print each change until interrupted'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -l help -d 'Print the commands'
complete -c tallowmerectl -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c tallowmerectl -n "__fish_seen_subcommand_from status watch" -l json -d 'Print JSON'
complete -c tallowmerectl -n "__fish_seen_subcommand_from switch" -a '1 2 3 4'
complete -c tallowmerectl -n "__fish_seen_subcommand_from autoscan" -a 'on off toggle'
