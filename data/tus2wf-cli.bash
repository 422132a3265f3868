# bash completion for tus2wf-cli                                        -*- shell-script -*-

_tus2wf_cli() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --tus | --id-list | --worldforge | --new-tus)
            _filedir
            return
            ;;
        -h | --help | -V | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--tus --id-list --worldforge --new-tus --quiet --unmatched
            --help --version' -- "$cur"))
        return
    fi
} &&
    complete -F _tus2wf_cli tus2wf-cli
