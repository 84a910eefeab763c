# bash completion for netrove-cli: its commands, each command's options, the values of --format and
# the address plan's file name after apply.
# tests/cli checks the option lists against netrove-cli's own declarations.

_netrove_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "search set open set-many apply watch help --help --version" -- "$cur")
        return
    fi

    local options
    case ${COMP_WORDS[1]} in
    search) options="--timeout --format --cameras --recorders --ipv4 --ipv6 --no-onvif --filter --shared-ip --outside-network --help" ;;
    set) options="--password-stdin --password --auto --static --mask --gateway --dhcp --pppoe --http --dlx --tcp --udp --upload --multicast --timeout --result-timeout --wait --help" ;;
    open) options="--timeout --help" ;;
    set-many) options="--all --shared-ip --filter --from --password-stdin --password --mask --gateway --dhcp --dry-run --format --timeout --result-timeout --wait --help" ;;
    apply) options="--password-stdin --password --dry-run --format --timeout --result-timeout --wait --help" ;;
    watch) options="--interval --format --filter --shared-ip --outside-network --help" ;;
    help)
        [[ $COMP_CWORD -eq 2 ]] && mapfile -t COMPREPLY < <(compgen -W "search set open set-many apply watch" -- "$cur")
        return
        ;;
    *) return ;;
    esac

    case $prev in
    --format)
        if [[ ${COMP_WORDS[1]} == watch ]]; then
            mapfile -t COMPREPLY < <(compgen -W "text jsonl" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "table csv json" -- "$cur")
        fi
        return
        ;;
    # A value nobody can guess: a password, a time, an address, a port, a filter's words.
    --password | --timeout | --result-timeout | --wait | --interval | --static | --mask | --gateway | --filter | --from | \
        --http | --dlx | --tcp | --udp | --upload | --multicast)
        return
        ;;
    esac
    # apply's address plan: a file name, where no option is being typed.
    if [[ ${COMP_WORDS[1]} == apply && $cur != -* ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
    fi
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
}

complete -F _netrove_cli netrove-cli
