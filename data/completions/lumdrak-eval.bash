# bash completion for lumdrak-eval                           -*- shell-script -*-
# Options and their values; after "--" every word is an expression, and expressions are not
# completed (a file name is no expression). Needs nothing of bash-completion's own helpers.

_lumdrak_eval()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -- ]] && return 0
    done
    case $prev in
        -c)
            mapfile -t COMPREPLY < <(compgen -W 'none 32 16 8' -- "$cur")
            return 0
            ;;
        -o)
            mapfile -t COMPREPLY < <(compgen -W 'bin hex dez f64 f32' -- "$cur")
            return 0
            ;;
        -i | --include)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-c -u -o -C --c-literals -L --literal --raw
            -i --include -h --help --version --' -- "$cur")
    fi
    return 0
} &&
    complete -F _lumdrak_eval lumdrak-eval
