# bash completion for tallowmerectl
_tallowmerectl() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local words
    if [[ $COMP_CWORD -eq 1 ]]; then
        words="status switch next previous autoscan preferences quit watch --help --version"
    else
        case ${COMP_WORDS[1]} in
            status|watch) [[ $COMP_CWORD -eq 2 ]] && words="--json" ;;
            switch) [[ $COMP_CWORD -eq 2 ]] && words="1 2 3 4" ;;
            autoscan) [[ $COMP_CWORD -eq 2 ]] && words="on off toggle" ;;
        esac
    fi
    COMPREPLY=($(compgen -W "$words" -- "$cur"))
}
complete -F _tallowmerectl tallowmerectl
