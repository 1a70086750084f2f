# bash completion for tarnwerk-cli. Commands, options and names come from the program itself
# (tarnwerk-cli --list ...), so a new cipher or option needs no change here.

_tarnwerk_cli() {
    local cur prev words cword
    _init_completion || return
    local program=${words[0]} command="" word
    local commands
    commands=$("$program" --list commands 2>/dev/null)
    for word in "${words[@]:1:cword-1}"; do
        if [[ " ${commands//$'\n'/ } " == *" $word "* ]]; then
            command=$word
            break
        fi
    done

    case $prev in
        --cipher)
            mapfile -t COMPREPLY < <(compgen -W "$("$program" --list ciphers 2>/dev/null)" -- "$cur")
            return ;;
        --method)
            mapfile -t COMPREPLY < <(compgen -W "$("$program" --list methods 2>/dev/null)" -- "$cur")
            return ;;
        --language)
            mapfile -t COMPREPLY < <(compgen -W "$("$program" --list languages 2>/dev/null)" -- "$cur")
            return ;;
        --bits)
            mapfile -t COMPREPLY < <(compgen -W "1 2 4" -- "$cur")
            return ;;
        --passphrase-file | --settings | --output)
            _filedir
            return ;;
        --list)
            COMPREPLY=()
            return ;;
    esac

    if [[ $cur == -* ]]; then
        local options
        if [[ -n $command ]]; then
            options=$("$program" "$command" --list options 2>/dev/null)
        else
            options=$("$program" --list options 2>/dev/null)
        fi
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return
    fi
    _filedir
}

complete -F _tarnwerk_cli tarnwerk-cli
