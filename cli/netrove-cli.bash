# bash completion for netrove-cli: its commands, each command's options and the values of --format.
# tests/cli checks the option lists against netrove-cli's own declarations.

_netrove_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "search set open help --help --version" -- "$cur")
        return
    fi

    local options
    case ${COMP_WORDS[1]} in
    search) options="--timeout --format --cameras --recorders --ipv4 --ipv6 --filter --shared-ip --outside-network --help" ;;
    set) options="--password-stdin --password --auto --static --mask --gateway --dhcp --pppoe --http --dlx --tcp --udp --upload --multicast --timeout --result-timeout --help" ;;
    open) options="--timeout --help" ;;
    help)
        [[ $COMP_CWORD -eq 2 ]] && mapfile -t COMPREPLY < <(compgen -W "search set open" -- "$cur")
        return
        ;;
    *) return ;;
    esac

    case $prev in
    --format)
        mapfile -t COMPREPLY < <(compgen -W "table csv json" -- "$cur")
        return
        ;;
    # A value nobody can guess: a password, a time, an address, a port, a filter's words.
    --password | --timeout | --result-timeout | --static | --mask | --gateway | --filter | \
        --http | --dlx | --tcp | --udp | --upload | --multicast)
        return
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
}

complete -F _netrove_cli netrove-cli
